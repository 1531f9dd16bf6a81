#include "render/Renderer.h"

#include "app/Console.h"
#include "app/GameSettings.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <iostream>

namespace pizzeria::render {

namespace {

bool uploadsView(const std::string& name) {
    return name != "viewSpaceShader" && name != "SSAO" && name != "SSAOBlur";
}

bool uploadsProjection(const std::string& name) {
    return name == "default" || name == "lighting" || name == "SSAOGeo";
}

} // namespace

Renderer::Renderer(int width_, int height_) : width(width_), height(height_) {
    for (const char* name : {"default", "viewSpaceShader", "lighting", "shadowmap", "SSAOGeo",
                             "SSAO", "SSAOBlur", "miniMap", "renderFBO", "text"}) {
        loadShader(name);
    }
    // The text program's projection never changes, so it is set only here.
    const glm::mat4 textProjection =
        glm::ortho(0.0f, float(width), 0.0f, float(height), -1.0f, 1.0f);
    uploadMatrix(*useShader("text"), "projection", textProjection);
}

void Renderer::loadShader(const std::string& name) {
    auto shader =
        std::make_unique<Shader>("Shader/" + name + ".vert", "Shader/" + name + ".frag");
    // emplace keeps the first program under a name; the new one dies here.
    shaders.emplace(name, std::move(shader));
}

Shader* Renderer::useShader(const std::string& name) {
    const auto found = shaders.find(name);
    if (found == shaders.end()) {
        std::cerr << "ERROR: Could not find shader: " << name << std::endl;
        app::exitAfterPause(1);
    }
    Shader& shader = *found->second;
    glUseProgram(shader.program);

    if (name == "text" && app::gameSettings.blendingEnabled) {
        glEnable(GL_BLEND);
    }
    if (uploadsView(name)) {
        uploadMatrix(shader, "view", view);
    }
    if (uploadsProjection(name)) {
        uploadMatrix(shader, "projection", projection);
    }
    return &shader;
}

void Renderer::endPass(const std::string& name) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (name == "text") {
        glDisable(GL_BLEND);
    }
}

void Renderer::uploadMatrix(const Shader& shader, const char* name, const glm::mat4& value) const {
    glUniformMatrix4fv(glGetUniformLocation(shader.program, name), 1, GL_FALSE,
                       glm::value_ptr(value));
}

} // namespace pizzeria::render
