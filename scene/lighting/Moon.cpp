#include "scene/lighting/Moon.h"

#include "app/ModelCache.h"
#include "render/Shader.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace pizzeria::scene::lighting {

Moon::Moon() {
    type = LightType;
    modelKind = 17;
    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(150.0f, 80.0f, 150.0f));
    modelMatrix =
        glm::rotate(glm::scale(placed, glm::vec3(3.0f)), 1.2566371f, glm::vec3(1.0f, 0.0f, 0.0f));
    ambient = glm::vec3(0.3f);
    diffuse = glm::vec3(0.7f);
    specular = glm::vec3(0.3f);
    model = app::getModel(modelKind);
}

void Moon::setUniforms(const render::Shader& shader) const {
    const GLuint program = shader.program;
    const glm::vec3 position(modelMatrix[3]);
    glUniform3fv(glGetUniformLocation(program, "globalLight.position"), 1,
                 glm::value_ptr(position));
    glUniform3fv(glGetUniformLocation(program, "globalLight.ambient"), 1, glm::value_ptr(ambient));
    glUniform3fv(glGetUniformLocation(program, "globalLight.diffuse"), 1, glm::value_ptr(diffuse));
    glUniform3fv(glGetUniformLocation(program, "globalLight.specular"), 1,
                 glm::value_ptr(specular));
}

} // namespace pizzeria::scene::lighting
