#version 330 core
out vec4 FragColor;

in vec3 FragPos;
in vec3 Normal;
in vec2 TexCoords;
in vec4 FragPosLightSpace;

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
uniform sampler2D shadowMap;

float shadowFactor(vec3 normal, vec3 lightDir)
{
    vec3 coords = FragPosLightSpace.xyz / FragPosLightSpace.w * 0.5 + 0.5;
    if (coords.z > 1.0)
        return 0.0;
    // A slope-scaled bias keeps lit hillsides free of acne.
    float bias = max(0.004 * (1.0 - dot(normal, lightDir)), 0.0008);
    vec2 texel = 1.0 / vec2(textureSize(shadowMap, 0));
    float shadow = 0.0;
    for (int x = -1; x <= 1; ++x)
        for (int y = -1; y <= 1; ++y) {
            float closest = texture(shadowMap, coords.xy + vec2(x, y) * texel).r;
            shadow += coords.z - bias > closest ? 1.0 : 0.0;
        }
    return shadow / 9.0;
}

float band(float value, float levels)
{
    return floor(value * levels + 0.5) / levels;
}

void main()
{
    vec3 albedo = texture(material.diffuseTexture, TexCoords).rgb;
    vec3 normal = normalize(Normal);
    vec3 lightDir = normalize(globalLight.position - FragPos);
    vec3 viewDir = normalize(viewPosition - FragPos);

    float diff = max(dot(normal, lightDir), 0.0);
    float spec;
    if (blinn > 0.5) {
        vec3 halfway = normalize(lightDir + viewDir);
        spec = pow(max(dot(normal, halfway), 0.0), max(material.shininess, 1.0) * 2.0);
    } else {
        vec3 reflected = reflect(-lightDir, normal);
        spec = pow(max(dot(viewDir, reflected), 0.0), max(material.shininess, 1.0));
    }
    if (celShading > 0.5) {
        diff = band(diff, 3.0);
        spec = step(0.5, spec);
    }

    float shadow = shadows > 0.5 ? shadowFactor(normal, lightDir) : 0.0;
    vec3 ambient = globalLight.ambient * material.ambient * albedo;
    vec3 diffuse = globalLight.diffuse * material.diffuse * diff * albedo;
    vec3 specular = globalLight.specular * material.specular * spec;
    FragColor = vec4(ambient + (1.0 - shadow) * (diffuse + specular), 1.0);
}
