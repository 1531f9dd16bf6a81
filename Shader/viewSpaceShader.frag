#version 330 core
out vec4 FragColor;

in vec2 TexCoords;

uniform sampler2D screenTexture;
uniform sampler2D ssaoInput;

// The lit scene darkened by the blurred ambient occlusion.
void main()
{
    vec3 scene = texture(screenTexture, TexCoords).rgb;
    float occlusion = texture(ssaoInput, TexCoords).r;
    FragColor = vec4(scene * occlusion, 1.0);
}
