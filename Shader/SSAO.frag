#version 330 core
out float FragColor;

in vec2 TexCoords;

// Units 0, 1 and 2 are bound by the renderer; 1 and 2 are set after linking.
uniform sampler2D gPosition;
uniform sampler2D gNormal;
uniform sampler2D texNoise;

uniform vec3 samples[32];
uniform mat4 projection;
uniform int kernelSize;
uniform float radius;
uniform float bias;

const float power = 4.0;

// View-space geometry always lies in front of the eye (z < 0); whatever the
// clear colour left in the position buffer does not.
bool empty(float depth)
{
    return depth > -1e-4;
}

void main()
{
    // The targets have the window's size: this pixel's own texels.
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec3 fragPos = texelFetch(gPosition, pixel, 0).xyz;
    vec3 normal = texelFetch(gNormal, pixel, 0).xyz;
    if (empty(fragPos.z) || dot(normal, normal) < 1e-6) {
        FragColor = 1.0; // sky: nothing to occlude
        return;
    }
    normal = normalize(normal);

    // The 4 x 4 noise tiles the screen and turns the kernel about the normal.
    vec3 randomVec = texelFetch(texNoise, pixel & 3, 0).xyz;
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
    // A sample's clip position (x, y and w) is linear in its kernel vector:
    // the pixel's own plus the kernel turned by TBN, scaled by the radius and
    // projected, so the matrices combine once per pixel, not once a sample.
    mat3 turn = TBN * radius;
    mat4x3 toClip = mat4x3(vec3(projection[0].x, projection[0].y, projection[0].w),
                           vec3(projection[1].x, projection[1].y, projection[1].w),
                           vec3(projection[2].x, projection[2].y, projection[2].w),
                           vec3(projection[3].x, projection[3].y, projection[3].w));
    mat3 clipTurn = mat3(toClip * vec4(turn[0], 0.0), toClip * vec4(turn[1], 0.0),
                         toClip * vec4(turn[2], 0.0));
    vec3 clipOrigin = toClip * vec4(fragPos, 1.0);
    vec3 depthTurn = vec3(turn[0].z, turn[1].z, turn[2].z);
    for (int i = 0; i < count; ++i) {
        vec3 clip = clipOrigin + clipTurn * samples[i];
        float sampleZ = fragPos.z + dot(depthTurn, samples[i]);
        vec2 uv = clip.xy / clip.z * 0.5 + 0.5;
        float surfaceZ = texture(gPosition, uv).z;
        float rangeCheck = smoothstep(0.0, 1.0, radius / abs(fragPos.z - surfaceZ));
        bool occludes = surfaceZ >= sampleZ + depthBias && !empty(surfaceZ);
        occlusion += occludes ? rangeCheck : 0.0;
    }
    // With the fixed radius and bias, a crease occludes only a few samples;
    // a power curve makes contact shadows visible and leaves open ground at 1.
    FragColor = pow(1.0 - occlusion / float(count), power);
}
