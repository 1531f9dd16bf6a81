#version 330 core
out vec4 FragColor;

in vec2 TexCoords;

uniform sampler2D depthMap;
uniform float near_plane;
uniform float far_plane;

// Shows a depth texture as grey. The shadow and mini-map depths come from
// orthographic projections and are already linear; a little contrast stretch
// keeps the near half of the range from washing out.
void main()
{
    float depth = clamp(texture(depthMap, TexCoords).r, 0.0, 1.0);
    float stretch = far_plane > near_plane ? 1.0 : 0.0;
    FragColor = vec4(vec3(mix(depth, pow(depth, 2.0), 0.5 * stretch)), 1.0);
}
