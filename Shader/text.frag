#version 330 core
out vec4 FragColor;

in vec2 TexCoords;

uniform sampler2D text;
uniform vec3 textureColor;

// Glyphs are stored in the red channel; it becomes the alpha.
void main()
{
    FragColor = vec4(textureColor, texture(text, TexCoords).r);
}
