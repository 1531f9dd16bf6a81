#version 330 core
layout (location = 0) in vec4 vertex; // screen x, y, then u, v

out vec2 TexCoords;

uniform mat4 projection;

void main()
{
    TexCoords = vertex.zw;
    gl_ClipDistance[0] = 1.0;
    gl_ClipDistance[1] = 1.0;
    gl_ClipDistance[2] = 1.0;
    gl_Position = projection * vec4(vertex.xy, 0.0, 1.0);
}
