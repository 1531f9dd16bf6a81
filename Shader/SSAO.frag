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

void main()
{
    vec2 noiseScale = vec2(width / 4.0, height / 4.0);
    vec3 fragPos = texture(gPosition, TexCoords).xyz;
    vec3 normal = normalize(texture(gNormal, TexCoords).rgb);
    vec3 randomVec = normalize(texture(texNoise, TexCoords * noiseScale).xyz);
    // Gram-Schmidt: a tangent frame around the normal, turned by the noise.
    vec3 tangent = normalize(randomVec - normal * dot(randomVec, normal));
    vec3 bitangent = cross(normal, tangent);
    mat3 TBN = mat3(tangent, bitangent, normal);

    float occlusion = 0.0;
    int count = min(kernelSize, 32);
    for (int i = 0; i < count; ++i) {
        vec3 samplePos = fragPos + TBN * samples[i] * radius;
        vec4 offset = projection * vec4(samplePos, 1.0);
        offset.xyz = offset.xyz / offset.w * 0.5 + 0.5;
        float sampleDepth = texture(gPosition, offset.xy).z;
        float rangeCheck = smoothstep(0.0, 1.0, radius / abs(fragPos.z - sampleDepth));
        occlusion += (sampleDepth >= samplePos.z + bias ? 1.0 : 0.0) * rangeCheck;
    }
    FragColor = 1.0 - occlusion / float(max(count, 1));
}
