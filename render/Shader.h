#pragma once

#include <GL/glew.h>

#include <string>

namespace pizzeria::render {

// One linked GLSL program built from a vertex and a fragment file. Users read
// `program` and upload uniforms themselves, looking locations up by name.
// Any failure while building ends the process with a message on stderr.
class Shader {
public:
    // Compiles both files (vertex first) and links them. A link failure ends
    // the process with the program's name (the vertex file's stem) and the
    // linker's log.
    Shader(const std::string& vertexPath, const std::string& fragmentPath);
    ~Shader();

    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    GLuint program = 0;
    GLuint vertexShader = 0;   // valid only during construction
    GLuint fragmentShader = 0; // valid only during construction
};

// Reads `path`, creates a shader object of `type` and compiles it into
// `shader`. Ends the process on a missing file or a compile error.
void compileShaderFile(const std::string& path, GLenum type, GLuint& shader);

} // namespace pizzeria::render
