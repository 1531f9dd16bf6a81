#version 330 core
out vec4 FragColor;

in vec2 TexCoords;

struct Material {
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
    float shininess;
    sampler2D diffuseTexture;
};

uniform Material material;

// The light source glows: its own texture, brightened, with no shading.
void main()
{
    vec3 surface = texture(material.diffuseTexture, TexCoords).rgb;
    vec3 glow = material.ambient + material.diffuse;
    FragColor = vec4(min(surface * glow, vec3(1.0)), 1.0);
}
