#version 330 core
out float FragColor;

in vec2 TexCoords;

uniform sampler2D ssaoInput;

// A 4 x 4 box blur hides the 4 x 4 noise pattern of the occlusion pass: the
// texels from two left of this one to one right, and the same rows. The
// renderer samples linearly here, so a fetch at the corner shared by four
// texels is their mean: four fetches make the box.
void main()
{
    vec2 texelSize = 1.0 / vec2(textureSize(ssaoInput, 0));
    float result = texture(ssaoInput, TexCoords + vec2(-1.5, -1.5) * texelSize).r +
                   texture(ssaoInput, TexCoords + vec2(0.5, -1.5) * texelSize).r +
                   texture(ssaoInput, TexCoords + vec2(-1.5, 0.5) * texelSize).r +
                   texture(ssaoInput, TexCoords + vec2(0.5, 0.5) * texelSize).r;
    FragColor = result / 4.0;
}
