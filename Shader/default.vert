#version 330 core
layout (location = 0) in vec3 aPos;
layout (location = 1) in vec3 aNormal;
layout (location = 2) in vec2 aTexCoords;

out vec3 FragPos;
out vec3 Normal;
out vec2 TexCoords;
out vec3 ShadowCoords;             // on the shadow map: x, y and depth in 0..1
flat out vec2 ShadowMapSize;       // in texels
flat out float ShadowDepthPerTexel; // depth across one texel's world width

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;
uniform mat4 lightSpaceMatrix;
uniform int culling;
uniform vec4 nearP; // xyz: viewing direction, w: distance of the eye from the origin
uniform sampler2DShadow shadowMap;

// Shadow-map texels are 200 / 5120 world units wide; looking the map up this
// far off the surface keeps lit slopes from shadowing themselves.
const float normalOffset = 0.05;

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
    FragPos = worldPos.xyz;
    Normal = normalMatrix(mat3(model)) * aNormal;
    TexCoords = aTexCoords;
    float normalLength = length(Normal);
    vec3 offset = normalLength > 0.0 ? Normal / normalLength * normalOffset : vec3(0.0);
    vec4 lightSpace = lightSpaceMatrix * vec4(worldPos.xyz + offset, 1.0);
    // The light's projection is orthographic (w is 1), so these are linear
    // across a triangle and interpolate exactly; as do the values below,
    // which only the uniforms decide: nothing of this is left per fragment.
    ShadowCoords = lightSpace.xyz / lightSpace.w * 0.5 + 0.5;
    ShadowMapSize = vec2(textureSize(shadowMap, 0));
    // World extent of one texel and depth per world unit, from the light's
    // orthographic matrix, so the bias follows the frustum.
    float texelWorld = 2.0 / length(vec3(lightSpaceMatrix[0][0], lightSpaceMatrix[1][0],
                                         lightSpaceMatrix[2][0])) / ShadowMapSize.x;
    float depthPerUnit = 0.5 * length(vec3(lightSpaceMatrix[0][2], lightSpaceMatrix[1][2],
                                           lightSpaceMatrix[2][2]));
    ShadowDepthPerTexel = texelWorld * depthPerUnit;

    // Culling clips what lies behind the plane through the eye that faces the
    // viewing direction. The eye comes from "view": the plane constant in
    // nearP.w is the eye's distance from the origin, which is the plane's
    // offset only while the camera looks through the origin.
    vec3 eye = -transpose(mat3(view)) * view[3].xyz;
    float ahead = dot(worldPos.xyz - eye, nearP.xyz);
    gl_ClipDistance[0] = culling == 1 ? ahead : 1.0;
    gl_ClipDistance[1] = 1.0;
    gl_ClipDistance[2] = 1.0;
    gl_Position = projection * view * worldPos;
}
