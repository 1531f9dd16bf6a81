#version 330 core
out vec4 FragColor;

in vec2 TexCoords;

uniform sampler2D screenTexture;
uniform sampler2D ssaoInput;

// The lit scene darkened by the blurred ambient occlusion. Both targets have
// the window's size, so each pixel reads its own texel: no filtering.
void main()
{
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec3 scene = texelFetch(screenTexture, pixel, 0).rgb;
    float occlusion = texelFetch(ssaoInput, pixel, 0).r;
    FragColor = vec4(scene * occlusion, 1.0);
}
