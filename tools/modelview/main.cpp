// Model viewer: loads each model the way the game does (Assimp with
// triangulation and flipped UVs, node transformations ignored, the diffuse
// texture from beside the file through stb_image) and renders it off screen.
#include "tools/assetgen/Models.h"
#include "tools/assetgen/models/CookRig.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

constexpr int kCell = 256;

struct GpuModel {
    GLuint vao = 0;
    GLsizei count = 0;
    GLuint texture = 0;
    glm::vec3 lo{0.0f}, hi{0.0f};
};

GLuint loadTexture(const std::string& path) {
    int width = 0, height = 0, channels = 0;
    // stb_image gives the top row first, as the game uploads it.
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (pixels == nullptr) {
        std::cerr << "modelview: cannot read " << path << std::endl;
        return 0;
    }
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    stbi_image_free(pixels);
    return tex;
}

bool loadModel(const std::string& path, GpuModel& out) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs);
    if (!scene || !scene->mRootNode || scene->mNumMeshes == 0) {
        std::cerr << "modelview: " << importer.GetErrorString() << std::endl;
        return false;
    }
    std::vector<float> data;
    std::vector<unsigned> indices;
    bool first = true;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        const auto base = unsigned(data.size() / 8);
        for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
            const aiVector3D p = mesh->mVertices[i];
            const aiVector3D n = mesh->HasNormals() ? mesh->mNormals[i] : aiVector3D(0, 0, 0);
            const aiVector3D t =
                mesh->HasTextureCoords(0) ? mesh->mTextureCoords[0][i] : aiVector3D(0, 0, 0);
            data.insert(data.end(), {p.x, p.y, p.z, n.x, n.y, n.z, t.x, t.y});
            const glm::vec3 v(p.x, p.y, p.z);
            out.lo = first ? v : glm::min(out.lo, v);
            out.hi = first ? v : glm::max(out.hi, v);
            first = false;
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            for (unsigned k = 0; k < mesh->mFaces[f].mNumIndices; ++k) {
                indices.push_back(base + mesh->mFaces[f].mIndices[k]);
            }
        }
        aiString texture;
        if (out.texture == 0 && scene->mMaterials[mesh->mMaterialIndex]->GetTexture(
                                    aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS) {
            const std::string dir = path.substr(0, path.find_last_of('/'));
            out.texture = loadTexture(dir + "/" + texture.C_Str());
        }
    }
    GLuint vbo = 0, ebo = 0;
    glGenVertexArrays(1, &out.vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ebo);
    glBindVertexArray(out.vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(data.size() * sizeof(float)), data.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(unsigned)),
                 indices.data(), GL_STATIC_DRAW);
    for (GLuint a = 0; a < 3; ++a) {
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, a == 2 ? 2 : 3, GL_FLOAT, GL_FALSE, 32,
                              reinterpret_cast<void*>(std::uintptr_t(a * 12)));
    }
    glBindVertexArray(0);
    out.count = GLsizei(indices.size());
    return true;
}

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
uniform mat4 model, view, projection;
out vec3 worldNormal;
out vec2 texCoord;
void main() {
    worldNormal = mat3(transpose(inverse(model))) * normal;
    texCoord = uv;
    gl_Position = projection * view * model * vec4(position, 1.0);
})";

const char* kFragment = R"(#version 330 core
in vec3 worldNormal;
in vec2 texCoord;
uniform sampler2D diffuseTexture;
uniform float unlit;
out vec4 colour;
void main() {
    vec3 albedo = texture(diffuseTexture, texCoord).rgb;
    vec3 n = normalize(worldNormal);
    float key = max(dot(n, normalize(vec3(0.5, 0.8, 0.6))), 0.0);
    float fill = max(dot(n, normalize(vec3(-0.6, 0.2, -0.5))), 0.0);
    vec3 lit = albedo * (0.3 + 0.75 * key + 0.25 * fill);
    colour = vec4(mix(lit, albedo, unlit), 1.0);
})";

GLuint compile(GLenum type, const char* source) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        std::cerr << log << std::endl;
    }
    return s;
}

struct Draw {
    const GpuModel* model;
    glm::mat4 matrix;
};

struct View {
    std::string name;
    std::vector<Draw> draws;
    glm::mat4 view;
    glm::mat4 projection;
    bool unlit = false;
};

// A 3/4 front view that fits the box.
View framed(const std::string& name, const GpuModel& m, glm::mat4 matrix = glm::mat4(1.0f)) {
    const glm::vec3 lo = glm::vec3(matrix * glm::vec4(m.lo, 1.0f));
    const glm::vec3 hi = glm::vec3(matrix * glm::vec4(m.hi, 1.0f));
    const glm::vec3 centre = (lo + hi) * 0.5f;
    const float radius = glm::length(hi - lo) * 0.5f;
    const float fov = glm::radians(40.0f);
    const glm::vec3 eye =
        centre + glm::normalize(glm::vec3(0.7f, 0.45f, 1.0f)) * (radius / std::sin(fov / 2.0f));
    return View{name,
                {{&m, matrix}},
                glm::lookAt(eye, centre, glm::vec3(0, 1, 0)),
                glm::perspective(fov, 1.0f, radius * 0.05f, radius * 10.0f)};
}

// The cook with arms, bat and hat placed by the game's rules, at yaw 0.
std::vector<Draw> assembledCook(const std::map<int, GpuModel>& models, float swingAngle,
                                float pitch, float dance) {
    using namespace assetgen::rig;
    const glm::mat4 body(1.0f);
    const glm::mat4 I(1.0f);
    std::vector<Draw> draws{{&models.at(0), body}};
    const float rightPlace = swingAngle;
    const glm::vec3 rightOffset(std::sin(rightPlace) * kShoulderRadius, kShoulderHeight,
                                std::cos(rightPlace) * kShoulderRadius);
    glm::mat4 right = glm::translate(I, rightOffset) * body;
    right = glm::rotate(right, swingAngle + kPi / 2.0f, glm::vec3(0, 1, 0));
    right = glm::rotate(right, pitch, glm::vec3(1, 0, 0));
    draws.push_back({&models.at(3), glm::scale(glm::rotate(right, kBatTilt, glm::vec3(1, 0, 0)),
                                               glm::vec3(kBatScale))});
    draws.push_back({&models.at(2), glm::scale(right, glm::vec3(kArmScale))});
    const float leftPlace = -kPi / 2.0f;
    const glm::vec3 leftOffset(std::sin(leftPlace) * -kShoulderRadius, kShoulderHeight,
                               std::cos(leftPlace) * -kShoulderRadius);
    glm::mat4 left = glm::translate(I, leftOffset) * body;
    left = glm::scale(glm::rotate(left, kLeftArmPitch, glm::vec3(1, 0, 0)), glm::vec3(kArmScale));
    left = glm::translate(left, glm::vec3(0.0f, 0.0f, dance));
    draws.push_back({&models.at(1), left});
    draws.push_back({&models.at(4), glm::translate(I, glm::vec3(0.0f, kHatHeight, 0.0f)) * body});
    return draws;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pizzeria_modelview GAMEOBJECTS_FOLDER OUTPUT_FOLDER" << std::endl;
        return 2;
    }
    const std::string root = argv[1];
    const std::filesystem::path outDir = argv[2];
    std::filesystem::create_directories(outDir);
    if (!glfwInit()) {
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(kCell, kCell, "modelview", nullptr, nullptr);
    if (!window) {
        std::cerr << "modelview: no OpenGL 3.3 window (is DISPLAY set?)" << std::endl;
        return 1;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    glewInit();

    std::map<int, GpuModel> models;
    for (const assetgen::ModelFile& file : assetgen::modelFiles()) {
        if (!loadModel(root + "/" + file.path, models[file.kind])) {
            return 1;
        }
    }

    std::vector<View> views;
    for (const assetgen::ModelFile& file : assetgen::modelFiles()) {
        if (file.kind == 7) {
            // The sky as the game turns it, seen from inside looking at the horizon.
            View sky{
                file.name,
                {{&models[7], glm::scale(glm::rotate(glm::mat4(1.0f), assetgen::rig::kPi / 2.0f,
                                                     glm::vec3(1, 0, 0)),
                                         glm::vec3(300.0f))}},
                glm::lookAt(glm::vec3(0, 5, 0), glm::vec3(0, 60, 100), glm::vec3(0, 1, 0)),
                glm::perspective(glm::radians(90.0f), 1.0f, 1.0f, 1000.0f),
                true};
            views.push_back(sky);
        } else {
            views.push_back(framed(file.name, models[file.kind]));
        }
    }
    using namespace assetgen::rig;
    const float restPitch = kRightRestPitch;
    struct Pose {
        const char* name;
        float swing, pitch, dance;
    };
    const Pose poses[] = {{"CookRest", -kPi / 2.0f, restPitch, 0.0f},
                          {"CookMidSwing", -1.0f, restPitch + 2.0f * (-1.0f + kPi / 2.0f), 0.0f},
                          {"CookSwingEnd", -0.6108652f, kRightSwingEndPitch, 0.0f},
                          {"CookParty", -kPi / 2.0f, restPitch, kLeftDanceMax}};
    // Each pose from the front right, and from the cook's right side.
    for (const glm::vec3 eye : {glm::vec3(3.5f, 1.5f, 5.0f), glm::vec3(-6.0f, 0.8f, 0.6f)}) {
        for (const Pose& pose : poses) {
            View v = framed(std::string(pose.name) + (eye.x < 0.0f ? "Side" : ""), models[0]);
            v.draws = assembledCook(models, pose.swing, pose.pitch, pose.dance);
            const glm::vec3 centre(0.0f, 1.2f, 0.4f);
            v.view = glm::lookAt(centre + eye, centre, glm::vec3(0, 1, 0));
            v.projection = glm::perspective(glm::radians(48.0f), 1.0f, 0.1f, 100.0f);
            views.push_back(v);
        }
    }
    // The game camera: 7 behind and above, 58 degrees field of view.
    View game{
        "CookGameCamera", assembledCook(models, -kPi / 2.0f, restPitch, 0.0f),
        glm::lookAt(glm::vec3(0.0f, 7.0f, -7.0f), glm::vec3(0.0f, 1.5f, 4.0f), glm::vec3(0, 1, 0)),
        glm::perspective(glm::radians(58.0f), 1.0f, 0.1f, 500.0f)};
    // What the player sees: ingredients 8 to 20 units ahead, a gangster, the
    // sky and the moon placed as the game places them.
    game.draws.push_back(
        {&models[7], glm::scale(glm::rotate(glm::mat4(1.0f), kPi / 2.0f, glm::vec3(1, 0, 0)),
                                glm::vec3(300.0f))});
    game.draws.push_back(
        {&models[17],
         glm::rotate(glm::scale(glm::translate(glm::mat4(1.0f), {150, 80, 150}), glm::vec3(3.0f)),
                     1.2566371f, glm::vec3(1, 0, 0))});
    for (int kind = 9; kind <= 16; ++kind) {
        const float k = float(kind - 9);
        game.draws.push_back(
            {&models[kind],
             glm::translate(glm::mat4(1.0f), {-7.0f + 2.0f * k, 0.0f, 8.0f + 1.7f * k})});
    }
    game.draws.push_back({&models[19], glm::translate(glm::mat4(1.0f), {5.0f, 0.0f, 10.0f})});
    views.push_back(game);

    GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, kVertex));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, kFragment));
    glLinkProgram(program);
    glUseProgram(program);

    GLuint fbo = 0, colour = 0, depth = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, kCell, kCell);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kCell, kCell);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glViewport(0, 0, kCell, kCell);
    glEnable(GL_DEPTH_TEST);

    const int columns = 6;
    const int rows = int(views.size() + columns - 1) / columns;
    std::vector<unsigned char> sheet(std::size_t(columns * kCell) * rows * kCell * 3, 20);
    std::vector<unsigned char> cell(std::size_t(kCell) * kCell * 3);
    for (std::size_t i = 0; i < views.size(); ++i) {
        const View& v = views[i];
        glClearColor(0.16f, 0.18f, 0.24f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUniformMatrix4fv(glGetUniformLocation(program, "view"), 1, GL_FALSE,
                           glm::value_ptr(v.view));
        glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE,
                           glm::value_ptr(v.projection));
        glUniform1f(glGetUniformLocation(program, "unlit"), v.unlit ? 1.0f : 0.0f);
        glUniform1i(glGetUniformLocation(program, "diffuseTexture"), 0);
        for (const Draw& d : v.draws) {
            glUniformMatrix4fv(glGetUniformLocation(program, "model"), 1, GL_FALSE,
                               glm::value_ptr(d.matrix));
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, d.model->texture);
            glBindVertexArray(d.model->vao);
            glDrawElements(GL_TRIANGLES, d.model->count, GL_UNSIGNED_INT, nullptr);
        }
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kCell, kCell, GL_RGB, GL_UNSIGNED_BYTE, cell.data());
        // GL rows run bottom up; the sheet is written top down.
        const int cx = int(i) % columns;
        const int cy = int(i) / columns;
        std::vector<unsigned char> upright(cell.size());
        for (int y = 0; y < kCell; ++y) {
            const unsigned char* src = &cell[std::size_t(kCell - 1 - y) * kCell * 3];
            unsigned char* dst =
                &sheet[(std::size_t(cy * kCell + y) * columns * kCell + std::size_t(cx) * kCell) *
                       3];
            std::copy(src, src + kCell * 3, dst);
            std::copy(src, src + kCell * 3, &upright[std::size_t(y) * kCell * 3]);
        }
        stbi_write_png((outDir / (v.name + ".png")).string().c_str(), kCell, kCell, 3,
                       upright.data(), kCell * 3);
    }
    const bool saved = stbi_write_png((outDir / "models.png").string().c_str(), columns * kCell,
                                      rows * kCell, 3, sheet.data(), columns * kCell * 3) != 0;
    glfwTerminate();
    return saved ? 0 : 1;
}
