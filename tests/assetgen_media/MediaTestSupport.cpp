#include "tests/assetgen_media/MediaTestSupport.h"
#include "tests/support/BuildPaths.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>

#include <fstream>
#include <iterator>
#include <map>

namespace mediatest {

std::filesystem::path runDir() {
    return testsupport::runDir();
}

namespace {

struct Audio {
    bool open = false;
    std::string error;
    Audio() {
        if (SDL_Init(SDL_INIT_AUDIO) != 0) {
            error = SDL_GetError();
            return;
        }
        // The generator writes 44.1 kHz, so this asks SDL for no resampling.
        if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
            error = Mix_GetError();
            return;
        }
        int rate = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&rate, &format, &channels);
        open = rate == 44100 && format == AUDIO_S16SYS && channels == 2;
        if (!open) {
            error = "audio device opened with another format";
        }
    }
};

} // namespace

const DecodedSound& decodeSound(const std::string& file) {
    static Audio audio;
    static std::map<std::string, DecodedSound> cache;
    auto found = cache.find(file);
    if (found != cache.end()) {
        return found->second;
    }
    DecodedSound& sound = cache[file];
    if (!audio.open) {
        sound.error = audio.error;
        return sound;
    }
    const std::string path = (runDir() / "Sounds" / file).string();
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (chunk == nullptr) {
        sound.error = Mix_GetError();
        return sound;
    }
    const auto* begin = reinterpret_cast<const std::int16_t*>(chunk->abuf);
    sound.samples.assign(begin, begin + chunk->alen / sizeof(std::int16_t));
    Mix_FreeChunk(chunk);
    sound.ok = true;
    return sound;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

} // namespace mediatest
