#version 330 core
layout (location = 0) in vec3 aPos;
layout (location = 1) in vec3 aNormal;
layout (location = 2) in vec2 aTexCoords;

out vec3 FragPos;
out vec3 Normal;
out vec2 TexCoords;
out vec4 FragPosLightSpace;

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;
uniform mat4 lightSpaceMatrix;
uniform int culling;
uniform vec4 nearP; // xyz: viewing direction, w: distance of the eye from the origin

void main()
{
    vec4 worldPos = model * vec4(aPos, 1.0);
    FragPos = worldPos.xyz;
    Normal = mat3(transpose(inverse(model))) * aNormal;
    TexCoords = aTexCoords;
    FragPosLightSpace = lightSpaceMatrix * worldPos;

    // With culling on, whatever lies behind the plane through the eye that
    // faces the viewing direction is clipped.
    vec4 eye = inverse(view) * vec4(0.0, 0.0, 0.0, 1.0);
    float ahead = dot(worldPos.xyz - eye.xyz, normalize(nearP.xyz + vec3(1e-6)));
    gl_ClipDistance[0] = culling == 1 ? ahead : 1.0;
    gl_ClipDistance[1] = 1.0;
    gl_ClipDistance[2] = 1.0;
    gl_Position = projection * view * worldPos;
}
