#include "assets/Preload.h"

#include <assimp/Importer.hpp>

#include <deque>
#include <map>
#include <mutex>

namespace pizzeria::assets {

ImportedScene::ImportedScene() = default;
ImportedScene::ImportedScene(ImportedScene&&) noexcept = default;
ImportedScene& ImportedScene::operator=(ImportedScene&&) noexcept = default;
ImportedScene::~ImportedScene() = default;

namespace {

template <typename T> class Promises {
public:
    void add(const std::string& path, std::future<std::optional<T>> result) {
        const std::lock_guard<std::mutex> lock(mutex);
        pending[path].push_back(std::move(result));
    }

    std::optional<T> take(const std::string& path) {
        std::future<std::optional<T>> result;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            const auto found = pending.find(path);
            if (found == pending.end()) {
                return std::nullopt;
            }
            result = std::move(found->second.front());
            found->second.pop_front();
            if (found->second.empty()) {
                pending.erase(found);
            }
        }
        return result.get();
    }

    void clear() {
        const std::lock_guard<std::mutex> lock(mutex);
        pending.clear();
    }

private:
    std::mutex mutex;
    std::map<std::string, std::deque<std::future<std::optional<T>>>> pending;
};

Promises<PreparedImage>& images() {
    static Promises<PreparedImage> promises;
    return promises;
}

Promises<ImportedScene>& scenes() {
    static Promises<ImportedScene> promises;
    return promises;
}

} // namespace

void promiseImage(const std::string& path, std::future<std::optional<PreparedImage>> result) {
    images().add(path, std::move(result));
}

void promiseScene(const std::string& path, std::future<std::optional<ImportedScene>> result) {
    scenes().add(path, std::move(result));
}

std::optional<PreparedImage> takePreparedImage(const std::string& path) {
    return images().take(path);
}

std::optional<ImportedScene> takeImportedScene(const std::string& path) {
    return scenes().take(path);
}

void dropPrepared() {
    images().clear();
    scenes().clear();
}

} // namespace pizzeria::assets
