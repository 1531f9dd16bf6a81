#include "render/Shader.h"

#include "app/Console.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace pizzeria::render {

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
    GLint logLength = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &logLength);
    // One byte more than asked for, so the log is terminated even when a
    // driver reports a length of 0.
    std::vector<char> log(std::size_t(logLength > 0 ? logLength : 0) + 1, '\0');
    glGetShaderInfoLog(shader, logLength, nullptr, log.data());
    std::cerr << "ERROR: Failed to compile shader." << std::endl;
    std::cerr << log.data() << std::endl;
    app::exitAfterPause(1);
}

} // namespace pizzeria::render
