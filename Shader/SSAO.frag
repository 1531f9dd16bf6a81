#version 330 core
out float FragColor;

in vec2 TexCoords;

// Units 0, 1 and 2 are bound by the renderer; 1 and 2 are set after linking.
uniform sampler2D gPosition;
uniform sampler2D gNormal;
uniform sampler2D texNoise;

uniform vec3 samples[32];
uniform mat4 projection;
uniform float width;
uniform float height;
uniform int kernelSize;
uniform float radius;
uniform float bias;

const float power = 4.0;

// View-space geometry always lies in front of the eye (z < 0); whatever the
// clear colour left in the position buffer does not.
bool empty(vec3 position)
{
    return position.z > -1e-4;
}

void main()
{
    vec3 fragPos = texture(gPosition, TexCoords).xyz;
    vec3 normal = texture(gNormal, TexCoords).xyz;
    if (empty(fragPos) || dot(normal, normal) < 1e-6) {
        FragColor = 1.0; // sky: nothing to occlude
        return;
    }
    normal = normalize(normal);

    // The 4 x 4 noise tiles the screen and turns the kernel about the normal.
    vec2 noiseScale = vec2(width / 4.0, height / 4.0);
    vec3 randomVec = texture(texNoise, TexCoords * noiseScale).xyz;
    vec3 tangent = randomVec - normal * dot(randomVec, normal);
    // A noise vector parallel to the normal leaves no tangent: pick any other.
    if (dot(tangent, tangent) < 1e-6)
        tangent = abs(normal.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0);
    tangent = normalize(tangent - normal * dot(tangent, normal));
    vec3 bitangent = cross(normal, tangent);
    mat3 TBN = mat3(tangent, bitangent, normal);

    // Half floats hold far positions coarsely (0.06 units at 100): grow the
    // bias with distance so distant flat ground does not occlude itself.
    float depthBias = bias * (1.0 - 0.1 * fragPos.z);
    float occlusion = 0.0;
    int count = clamp(kernelSize, 1, 32);
    for (int i = 0; i < count; ++i) {
        vec3 samplePos = fragPos + TBN * samples[i] * radius;
        vec4 offset = projection * vec4(samplePos, 1.0);
        offset.xy = offset.xy / offset.w * 0.5 + 0.5;
        vec3 surface = texture(gPosition, offset.xy).xyz;
        if (empty(surface))
            continue;
        // Occluders much farther away than the radius (a hill far behind a
        // silhouette) must not darken the edge.
        float rangeCheck = smoothstep(0.0, 1.0, radius / abs(fragPos.z - surface.z));
        occlusion += (surface.z >= samplePos.z + depthBias ? 1.0 : 0.0) * rangeCheck;
    }
    // With the fixed radius and bias, a crease occludes only a few samples;
    // a power curve makes contact shadows visible and leaves open ground at 1.
    FragColor = pow(1.0 - occlusion / float(count), power);
}
