#version 330 core
out vec4 FragColor;

// The depth buffer holds where things are; the colour target holds what they
// are: the cook, wanted and other ingredients, gangsters.
uniform vec4 markColor;

void main()
{
    FragColor = markColor;
}
