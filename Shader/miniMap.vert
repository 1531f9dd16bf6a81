#version 330 core
layout (location = 0) in vec3 aPos;
layout (location = 1) in vec3 aNormal;
layout (location = 2) in vec2 aTexCoords;

uniform mat4 model;
uniform mat4 view;
uniform mat4 lightSpaceMatrix;
uniform int culling;
uniform vec4 nearP;

void main()
{
    vec4 worldPos = model * vec4(aPos, 1.0);
    // The camera's clip plane (see "default"): with culling on, the map shows
    // only what lies ahead of the camera.
    vec3 eye = -transpose(mat3(view)) * view[3].xyz;
    gl_ClipDistance[0] = culling == 1 ? dot(worldPos.xyz - eye, nearP.xyz) : 1.0;
    gl_ClipDistance[1] = 1.0;
    gl_ClipDistance[2] = 1.0;
    gl_Position = lightSpaceMatrix * worldPos;
}
