#version 330 core
out vec4 FragColor;

in vec2 TexCoords;

uniform sampler2D depthMap;
uniform sampler2D mapMarks; // the mini-map's marks in colour, on unit 1
uniform float near_plane;
uniform float far_plane;
// What unit 0 holds: 0 the shadow map, 1 the mini-map's depth, 2 occlusion.
uniform int source;

// Both depth maps come from orthographic projections, so their depth is
// linear in the distance already; near_plane and far_plane turn it back into
// world units, which is what the shadow view stretches.
float distanceFromLight(float depth)
{
    return near_plane + depth * (far_plane - near_plane);
}

vec3 shadowMapView()
{
    float depth = texture(depthMap, TexCoords).r;
    if (depth >= 1.0)
        return vec3(1.0); // nothing drawn: the far plane
    // The scene lies between about 100 and 350 units from the moon; stretch
    // that band over the grey ramp, near dark, far light.
    float grey = clamp((distanceFromLight(depth) - 100.0) / 250.0, 0.0, 1.0);
    return vec3(grey);
}

// The mini-map holds the cook, the ingredients and the enemies, a texel or
// two each, under their coloured marks: show the marks, and anything unmarked
// as a bright dot (brighter is higher), on a dark, gridded field with a frame,
// so the inset reads as a map.
vec3 miniMapView()
{
    vec2 texel = 1.0 / vec2(textureSize(depthMap, 0));
    float nearest = 1.0;
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            nearest = min(nearest, texture(depthMap, TexCoords + vec2(x, y) * texel).r);

    vec2 pixels = fwidth(TexCoords);
    vec2 grid = abs(fract(TexCoords * 5.0 - 0.5) - 0.5) / (5.0 * pixels);
    float line = 1.0 - clamp(min(grid.x, grid.y), 0.0, 1.0);
    vec3 color = mix(vec3(0.04, 0.07, 0.12), vec3(0.10, 0.16, 0.24), line);
    if (nearest < 1.0) {
        color = mix(vec3(0.95, 0.55, 0.15), vec3(1.0, 0.95, 0.75), 1.0 - nearest);
    }
    vec4 mark = texture(mapMarks, TexCoords);
    color = mix(color, mark.rgb, mark.a);
    vec2 edge = min(TexCoords, 1.0 - TexCoords) / pixels;
    if (min(edge.x, edge.y) < 2.0)
        color = vec3(0.65, 0.7, 0.75);
    return color;
}

void main()
{
    vec3 color;
    if (source == 1)
        color = miniMapView();
    else if (source == 2)
        color = vec3(texture(depthMap, TexCoords).r); // occlusion: white is open
    else
        color = shadowMapView();
    FragColor = vec4(color, 1.0);
}
