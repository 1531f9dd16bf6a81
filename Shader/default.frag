#version 330 core
out vec4 FragColor;

in vec3 FragPos;
in vec3 Normal;
in vec2 TexCoords;
in vec3 ShadowCoords;
flat in vec2 ShadowMapSize;
flat in float ShadowDepthPerTexel;

struct Material {
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
    float shininess;
    sampler2D diffuseTexture;
};

struct GlobalLight {
    vec3 position;
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
};

uniform Material material;
uniform GlobalLight globalLight;
uniform vec3 viewPosition;
uniform float blinn;
uniform float shadows;
uniform float celShading;
// Compares with less-or-equal and filters linearly (the renderer's sampler):
// a fetch is the lit share of the 2 x 2 texels around it.
uniform sampler2DShadow shadowMap;
uniform vec4 shadowRegion; // the drawn part of the map: low corner, high corner

// Fraction of the light blocked, 0 (lit) to 1 (shadowed).
float shadowFactor(float cosTheta)
{
    vec3 coords = ShadowCoords;
    if (coords.z > 1.0)
        return 0.0;
    // Off the map the edge fade below is zero anyway: skip the lookups (the
    // sky, far ground).
    if (any(lessThanEqual(coords.xy, vec2(0.0))) || any(greaterThanEqual(coords.xy, vec2(1.0))))
        return 0.0;
    // Only a region of the map is drawn each frame; past it lies old depth.
    // What the camera sees of the ground and its walkers never reads there.
    if (any(lessThan(coords.xy, shadowRegion.xy)) || any(greaterThan(coords.xy, shadowRegion.zw)))
        return 0.0;
    // Facing away from the light: diffuse is zero already, and the map's
    // precision there is no better than the bias.
    if (cosTheta <= 0.0)
        return 1.0;

    vec2 size = ShadowMapSize;
    // Slope-scaled: the moon is low (about 20 degrees), so flat ground is a
    // steep receiver whose depth changes quickly across the filter footprint.
    float tanTheta = min(sqrt(1.0 - cosTheta * cosTheta) / cosTheta, 8.0);
    float bias = ShadowDepthPerTexel * (0.5 + 1.2 * tanTheta);
    float receiver = coords.z - bias;

    // Percentage-closer filtering over a 4 x 4 block of texels with weights
    // (1 - f, 1, 1, f) / 3 per axis, soft edges without the blockiness of
    // nearest lookups. The sampler compares and filters 2 x 2 texels in one
    // fetch, so each axis splits into two pairs, (1 - f, 1) and (1, f), each
    // one fetch placed to weigh its pair so: four fetches for sixteen texels.
    vec2 position = coords.xy * size - 0.5;
    vec2 base = floor(position);
    vec2 f = position - base;
    vec2 nearWeight = 2.0 - f;
    vec2 farWeight = 1.0 + f;
    vec2 nearTap = (base - 0.5 + 1.0 / nearWeight) / size;
    vec2 farTap = (base + 1.5 + f / farWeight) / size;
    float lit = texture(shadowMap, vec3(nearTap, receiver)) * nearWeight.x * nearWeight.y +
                texture(shadowMap, vec3(farTap.x, nearTap.y, receiver)) * farWeight.x * nearWeight.y +
                texture(shadowMap, vec3(nearTap.x, farTap.y, receiver)) * nearWeight.x * farWeight.y +
                texture(shadowMap, vec3(farTap, receiver)) * farWeight.x * farWeight.y;
    float shadow = 1.0 - lit / 9.0;

    // Fade out towards the map's edge so its border never shows as a line.
    vec2 edge = min(coords.xy, 1.0 - coords.xy);
    return shadow * clamp(min(edge.x, edge.y) * 20.0, 0.0, 1.0);
}

// Cel shading: a few flat tones instead of a smooth ramp.
float celBand(float light)
{
    return light > 0.65 ? 1.0 : light > 0.3 ? 0.6 : light > 0.05 ? 0.3 : 0.0;
}

void main()
{
    vec3 albedo = texture(material.diffuseTexture, TexCoords).rgb;
    vec3 normal = normalize(Normal);
    vec3 lightDir = normalize(globalLight.position - FragPos);
    vec3 viewDir = normalize(viewPosition - FragPos);

    float cosTheta = dot(normal, lightDir);
    float diff = max(cosTheta, 0.0);
    // Same exponent for both: Blinn-Phong's highlight is wider and stays
    // round at grazing angles, Phong's is tight and cut off.
    float shininess = max(material.shininess, 1.0);
    float spec;
    if (blinn > 0.5) {
        vec3 halfway = normalize(lightDir + viewDir);
        spec = pow(max(dot(normal, halfway), 0.0), shininess);
    } else {
        vec3 reflected = reflect(-lightDir, normal);
        spec = pow(max(dot(viewDir, reflected), 0.0), shininess);
    }
    // No highlight on a side the light does not reach.
    spec *= step(0.0, cosTheta);

    float lit = 1.0 - (shadows > 0.5 ? shadowFactor(cosTheta) : 0.0);
    float light = diff * lit;
    spec *= lit;
    // The sky dome (radius 300 about the origin; the terrain lies within 180)
    // keeps its smooth moonlit gradient: hard bands on the backdrop read as a fault.
    if (celShading > 0.5 && length(FragPos) < 250.0) {
        light = celBand(light);
        spec = step(0.5, spec);
    }

    vec3 ambient = globalLight.ambient * material.ambient * albedo;
    vec3 diffuse = globalLight.diffuse * material.diffuse * light * albedo;
    vec3 specular = globalLight.specular * material.specular * spec;
    FragColor = vec4(ambient + diffuse + specular, 1.0);
}
