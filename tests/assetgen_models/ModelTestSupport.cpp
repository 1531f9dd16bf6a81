#include "tests/assetgen_models/ModelTestSupport.h"

#include "app/ModelCache.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/GlContext.h"

#include <algorithm>
#include <map>

namespace modeltest {

glm::vec3 Texture::sample(glm::vec2 uv) const {
    const int x = std::clamp(int(uv.x * float(width)), 0, width - 1);
    const int y = std::clamp(int(uv.y * float(height)), 0, height - 1);
    const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
    return glm::vec3(p[0], p[1], p[2]) / 255.0f;
}

std::pair<glm::vec3, glm::vec3> LoadedModel::extent() const {
    glm::vec3 lo(1e30f), hi(-1e30f);
    for (const LoadedMesh& m : meshes) {
        for (const Triangle& t : m.triangles) {
            for (const glm::vec3& p : t.p) {
                lo = glm::min(lo, p);
                hi = glm::max(hi, p);
            }
        }
    }
    return {lo, hi};
}

std::size_t LoadedModel::triangleCount() const {
    std::size_t n = 0;
    for (const LoadedMesh& m : meshes) {
        n += m.triangles.size();
    }
    return n;
}

std::vector<Triangle> LoadedModel::trianglesColoured(bool (*match)(glm::vec3)) const {
    std::vector<Triangle> out;
    for (const LoadedMesh& m : meshes) {
        for (const Triangle& t : m.triangles) {
            if (m.texture.width > 0 &&
                match(m.texture.sample((t.uv[0] + t.uv[1] + t.uv[2]) / 3.0f))) {
                out.push_back(t);
            }
        }
    }
    return out;
}

glm::vec3 centroidOf(const std::vector<Triangle>& triangles) {
    glm::vec3 sum(0.0f);
    float area = 0.0f;
    for (const Triangle& t : triangles) {
        sum += t.centroid() * t.area();
        area += t.area();
    }
    return area > 0.0f ? sum / area : sum;
}

namespace {

LoadedModel load(int kind) {
    static testsupport::GlContext context; // the loader uploads meshes and textures
    LoadedModel model;
    model.game = std::make_unique<pizzeria::assets::Model>(std::string(testsupport::runDir()) +
                                                           "/" + pizzeria::app::modelPath(kind));
    for (const pizzeria::assets::Mesh& mesh : model.game->meshes) {
        LoadedMesh out;
        out.textureCount = mesh.textures.size();
        if (!mesh.textures.empty()) {
            glBindTexture(GL_TEXTURE_2D, mesh.textures[0].id);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &out.texture.width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &out.texture.height);
            out.texture.rgb.resize(std::size_t(out.texture.width * out.texture.height) * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.texture.rgb.data());
        }
        for (std::size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
            Triangle t;
            for (std::size_t k = 0; k < 3; ++k) {
                const pizzeria::assets::Vertex& v = mesh.vertices.at(mesh.indices[i + k]);
                t.p[k] = v.position;
                t.n[k] = v.normal;
                t.uv[k] = v.texCoords;
            }
            out.triangles.push_back(t);
        }
        model.meshes.push_back(std::move(out));
    }
    return model;
}

} // namespace

const LoadedModel& gameModel(int kind) {
    static std::map<int, LoadedModel> cache;
    auto found = cache.find(kind);
    if (found == cache.end()) {
        found = cache.emplace(kind, load(kind)).first;
    }
    return found->second;
}

} // namespace modeltest
