#include "render/Shader.h"

#include "app/Console.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace pizzeria::render {

namespace {

// The info log of a shader or program object. One byte more than asked for,
// so the log is terminated even when a driver reports a length of 0.
std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter,
                    PFNGLGETSHADERINFOLOGPROC getLog) {
    GLint logLength = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &logLength);
    std::vector<char> log(std::size_t(logLength > 0 ? logLength : 0) + 1, '\0');
    getLog(object, logLength, nullptr, log.data());
    return log.data();
}

} // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath) {
    program = glCreateProgram();
    if (program == 0) {
        std::cerr << "ERROR: failed to create shader program" << std::endl;
        app::exitAfterPause(1);
    }
    compileShaderFile(vertexPath, GL_VERTEX_SHADER, vertexShader);
    compileShaderFile(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);

    // Stages that compile alone may still disagree (a varying's type); such
    // a program draws nothing and raises a GL error at every use.
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_FALSE) {
        // The renderer names both files after the program.
        const std::string name = std::filesystem::path(vertexPath).stem().string();
        std::cerr << "ERROR: Failed to link shader program: " << name << std::endl;
        std::cerr << infoLog(program, glGetProgramiv, glGetProgramInfoLog) << std::endl;
        app::exitAfterPause(1);
    }
}

Shader::~Shader() {
    glDeleteProgram(program);
}

void compileShaderFile(const std::string& path, GLenum type, GLuint& shader) {
    std::ifstream file(path);
    // A directory opens fine but throws on the first read.
    std::error_code error;
    if (!file.good() || std::filesystem::is_directory(path, error)) {
        std::cerr << "ERROR: shaderFile isn't good: " << path << std::endl;
        app::exitAfterPause(1);
    }
    const std::string source{std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>()};
    file.close();

    shader = glCreateShader(type);
    if (shader == 0) {
        std::cerr << "ERROR: failed to create shader" << std::endl;
        app::exitAfterPause(1);
    }
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(shader)) {
        return;
    }
    std::cerr << "ERROR: Failed to compile shader." << std::endl;
    std::cerr << infoLog(shader, glGetShaderiv, glGetShaderInfoLog) << std::endl;
    app::exitAfterPause(1);
}

} // namespace pizzeria::render
