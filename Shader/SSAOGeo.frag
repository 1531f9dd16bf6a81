#version 330 core
layout (location = 0) out vec3 gPosition;
layout (location = 1) out vec3 gNormal;
layout (location = 2) out vec3 gAlbedo;

in vec3 FragPos;
in vec3 Normal;
in vec2 TexCoords;

struct Material {
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
    float shininess;
    sampler2D diffuseTexture;
};

uniform Material material;

// View-space position and normal feed the occlusion pass.
void main()
{
    gPosition = FragPos;
    gNormal = normalize(Normal);
    gAlbedo = texture(material.diffuseTexture, TexCoords).rgb * material.diffuse;
}
