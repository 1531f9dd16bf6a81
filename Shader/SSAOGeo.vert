#version 330 core
layout (location = 0) in vec3 aPos;
layout (location = 1) in vec3 aNormal;
layout (location = 2) in vec2 aTexCoords;

out vec3 FragPos;
out vec3 Normal;
out vec2 TexCoords;

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;
uniform int culling;
uniform vec4 nearP;

// Position and normal in view space, as the occlusion pass reads them with "projection".
// The inverse transpose up to a positive factor (the normal is normalised
// later): the cofactors, three cross products instead of an inverse per vertex.
mat3 normalMatrix(mat3 m)
{
    mat3 cofactors = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    return dot(m[0], cofactors[0]) < 0.0 ? -cofactors : cofactors;
}

void main()
{
    vec4 worldPos = model * vec4(aPos, 1.0);
    vec4 viewPos = view * worldPos;
    FragPos = viewPos.xyz;
    Normal = normalMatrix(mat3(view * model)) * aNormal;
    TexCoords = aTexCoords;

    // The same clip plane as "default" (see there).
    vec3 eye = -transpose(mat3(view)) * view[3].xyz;
    gl_ClipDistance[0] = culling == 1 ? dot(worldPos.xyz - eye, nearP.xyz) : 1.0;
    gl_ClipDistance[1] = 1.0;
    gl_ClipDistance[2] = 1.0;
    gl_Position = projection * viewPos;
}
