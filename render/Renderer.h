#pragma once

#include "render/Shader.h"

#include <glm/glm.hpp>

#include <map>
#include <memory>
#include <string>

namespace pizzeria::render {

// Owns every shader program and runs the per-pass protocol: `useShader`
// begins the pass of that name and returns its program, `endPass` returns
// to the window's framebuffer. The Game draws between the two.
class Renderer {
public:
    // Loads every program; a missing or broken shader file ends the process.
    Renderer(int width, int height);

    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Builds "Shader/" + name + ".vert"/".frag" and registers the program.
    // A name already registered keeps its first program; the new one is
    // deleted at once.
    void loadShader(const std::string& name);

    // Makes the program `name` current and sets up its pass. Returns a
    // pointer owned by the renderer, valid until it is destroyed. An unknown
    // name ends the process.
    Shader* useShader(const std::string& name);

    // Ends the pass `name`: binds the window's framebuffer again.
    void endPass(const std::string& name);

    // Camera state, copied in by the game update every frame.
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::vec3 viewPosition{0.0f};
    glm::vec3 viewDirection{0.0f};

    int width = 0;
    int height = 0;

private:
    void uploadMatrix(const Shader& shader, const char* name, const glm::mat4& value) const;

    std::map<std::string, std::unique_ptr<Shader>> shaders;
};

} // namespace pizzeria::render
