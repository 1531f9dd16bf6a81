#include "sound/MixerEngine.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>

#ifdef __linux__
#include <dlfcn.h>
#endif

namespace pizzeria::sound {

namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
constexpr int kBufferFrames = 1024; // about 23 ms of latency for effects
constexpr int kInitialMixerChannels = 16;
// A burst of hits (every enemy struck at once) may need many voices; past
// this many the newest effect is dropped rather than growing without end.
constexpr int kMaxMixerChannels = 256;

std::atomic<bool> engineOpen{false};

int bytesPerFrame() {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
        return kOutputChannels * 2;
    }
    return std::max(1, channels * int(SDL_AUDIO_BITSIZE(format) / 8));
}

// Opens the driver SDL picks: the one the user named, else the first that
// works.
bool openOutput() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kOutputChannels, kBufferFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// The environment variable is the user's choice (SDL also ranks it above the
// fallback's hint of the same name); a hint alone is not. Set but empty, it
// counts as unset: SDL would otherwise take it over the fallback's hint and
// try only the real devices.
const char* chosenDriver() {
    const char* driver = SDL_getenv("SDL_AUDIODRIVER");
    if (driver && !*driver) {
#ifdef _WIN32
        _putenv_s("SDL_AUDIODRIVER", "");
#else
        unsetenv("SDL_AUDIODRIVER");
#endif
        return nullptr;
    }
    return driver;
}

// SDL's dummy driver consumes the mix in real time, so tracks advance as if
// heard. Set as a hint of normal priority, so a driver forced with override
// priority still decides.
bool openSilentOutput() {
    if (!SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy")) {
        return false;
    }
    const bool opened = openOutput();
    // A later engine tries the real device again.
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return opened;
}

// ALSA prints several lines of its own on a machine without sound cards; while
// the default device is only being probed they would bury the one warning.
class QuietAlsa {
public:
#ifdef __linux__
    QuietAlsa() : library(dlopen("libasound.so.2", RTLD_LAZY)) {
        setHandler(&ignore);
    }
    ~QuietAlsa() {
        setHandler(nullptr); // back to ALSA's own printing
        if (library) {
            dlclose(library);
        }
    }
#else
    QuietAlsa() = default;
#endif
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
#ifdef __linux__
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);

    static void ignore(const char*, int, const char*, int, const char*, ...) {}

    void setHandler(Handler handler) {
        void* setter = library ? dlsym(library, "snd_lib_error_set_handler") : nullptr;
        if (setter) {
            reinterpret_cast<int (*)(Handler)>(setter)(handler);
        }
    }

    void* library;
#endif
};

bool openDefaultOutput() {
    [[maybe_unused]] const QuietAlsa quiet; // nothing to quieten off Linux
    return openOutput();
}

} // namespace

// A tracked sound on its own mixer channel. A sound asked to start paused is
// not handed to the mixer until it is first resumed, so it holds its start
// exactly and its decoding may still be under way until then.
class MixerVoice final : public PlayingSound {
public:
    MixerVoice(int channel, std::shared_future<Mix_Chunk*> chunk, bool looped, int frameBytes)
        : channel(channel), chunk(std::move(chunk)), looped(looped), frameBytes(frameBytes) {}

    void setPaused(bool paused) override {
        if (!started) {
            if (!paused) {
                start();
            }
            return;
        }
        if (paused) {
            Mix_Pause(channel);
        } else {
            Mix_Resume(channel);
        }
    }

    bool isPaused() const override { return !started || Mix_Paused(channel) != 0; }

    std::uint64_t framesPlayed() const override { return bytesMixed.load() / frameBytes; }

    // The counter is registered before the channel plays, so no frame is
    // missed; the mixer drops it by itself when a one-shot ends.
    bool start() {
        started = true;
        Mix_Chunk* decoded = chunk.get();
        if (!decoded) {
            return false;
        }
        Mix_RegisterEffect(channel, &MixerVoice::count, nullptr, this);
        if (Mix_PlayChannel(channel, decoded, looped ? -1 : 0) == channel) {
            return true;
        }
        Mix_UnregisterEffect(channel, &MixerVoice::count);
        return false;
    }

private:
    // Runs on the audio thread for each stretch of this channel it mixes;
    // the mixer skips paused channels, so the count stands still with them.
    static void count(int, void*, int len, void* self) {
        static_cast<MixerVoice*>(self)->bytesMixed += std::uint64_t(len);
    }

    int channel;
    std::shared_future<Mix_Chunk*> chunk;
    bool looped;
    int frameBytes;
    bool started = false;
    std::atomic<std::uint64_t> bytesMixed{0};
};

std::unique_ptr<MixerEngine> MixerEngine::create() {
    std::string warning;
    std::unique_ptr<MixerEngine> engine = open(warning);
    if (!warning.empty()) {
        std::cerr << warning << std::endl;
    }
    return engine;
}

void MixerEngine::settleDriverChoice() {
    chosenDriver();
}

std::unique_ptr<MixerEngine> MixerEngine::open(std::string& warning) {
    // SDL would otherwise take over SIGINT and SIGTERM for events nobody
    // reads, and Ctrl+C could no longer end the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (engineOpen) {
        return nullptr;
    }
    if (const char* driver = chosenDriver()) {
        // A driver the user named is respected, even when it fails; SDL says
        // why, before the caller's own line.
        if (!openOutput()) {
            warning = std::string("SDL error: audio driver \"") + driver +
                      "\" (SDL_AUDIODRIVER) did not open: " + SDL_GetError();
            return nullptr;
        }
    } else if (!openDefaultOutput()) {
        // Without a sound device the game is still playable, only silent.
        if (!openSilentOutput()) {
            return nullptr;
        }
        warning = "WARNING: no sound device found, playing silently";
    }
    // Without MP3 support the music fails to start, which its caller reports.
    Mix_Init(MIX_INIT_MP3);
    // SDL_mixer marks a paused channel with the tick it paused at, so a pause
    // in SDL's first millisecond would not hold.
    while (SDL_GetTicks() == 0) {
        SDL_Delay(1);
    }
    engineOpen = true;
    std::unique_ptr<MixerEngine> engine(new MixerEngine());
    engine->frameBytes = bytesPerFrame();
    engine->trackedChannels.assign(std::size_t(Mix_AllocateChannels(kInitialMixerChannels)), false);
    return engine;
}

MixerEngine::~MixerEngine() {
    // Halting first unhooks the voices' counters before the voices go.
    Mix_HaltChannel(-1);
    for (auto& entry : chunks) {
        Mix_FreeChunk(entry.second.get());
    }
    Mix_CloseAudio();
    voices.clear();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    engineOpen = false;
}

void MixerEngine::setMasterVolume(float volume) {
    const float clamped = std::clamp(volume, 0.0f, 1.0f);
    Mix_MasterVolume(int(std::lround(clamped * MIX_MAX_VOLUME)));
}

PlayingSound* MixerEngine::play2D(const std::string& path, bool looped, bool startPaused,
                                  bool track) {
    // Nobody could ever resume an untracked sound started paused.
    if (!track && startPaused) {
        return nullptr;
    }
    const Decoding* chunk = chunkFor(path, track && startPaused);
    const int channel = chunk ? freeChannel() : -1;
    if (channel < 0) {
        return nullptr;
    }
    if (!track) {
        if (Mix_Chunk* decoded = chunk->get()) {
            Mix_PlayChannel(channel, decoded, looped ? -1 : 0);
        }
        return nullptr;
    }
    auto voice = std::make_unique<MixerVoice>(channel, *chunk, looped, frameBytes);
    if (!startPaused && !voice->start()) {
        return nullptr;
    }
    trackedChannels[std::size_t(channel)] = true;
    voices.push_back(std::move(voice));
    return voices.back().get();
}

int MixerEngine::soundingEffects() const {
    int sounding = 0;
    for (std::size_t channel = 0; channel < trackedChannels.size(); ++channel) {
        if (!trackedChannels[channel] && Mix_Playing(int(channel)) != 0) {
            ++sounding;
        }
    }
    return sounding;
}

namespace {

// SDL_mixer's loaders share its decoders' state: a music file probed here
// while a track decodes on another thread crashed the game now and then.
std::mutex& mixerLoads() {
    static std::mutex loads;
    return loads;
}

} // namespace

const MixerEngine::Decoding* MixerEngine::chunkFor(const std::string& path, bool inBackground) {
    const auto found = chunks.find(path);
    if (found != chunks.end()) {
        return &found->second;
    }
    // Opening the file as music reads only its header, so a file that cannot
    // be played is known at once even when decoding waits for later. The
    // content decides the format, as for chunks, not the file's extension.
    // Failures are not kept: a missing file costs only a failed open. Only a
    // plain file is opened: a FIFO or a device would block the game for good.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return nullptr;
    }
    {
        const std::lock_guard<std::mutex> turn(mixerLoads());
        SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
        Mix_Music* probe = file ? Mix_LoadMUS_RW(file, 1) : nullptr;
        if (!probe) {
            return nullptr;
        }
        Mix_FreeMusic(probe);
    }
    auto decode = [path] {
        const std::lock_guard<std::mutex> turn(mixerLoads());
        return Mix_LoadWAV(path.c_str());
    };
    Decoding decoding =
        std::async(inBackground ? std::launch::async : std::launch::deferred, decode).share();
    if (!inBackground && !decoding.get()) {
        return nullptr;
    }
    return &chunks.emplace(path, std::move(decoding)).first->second;
}

void MixerEngine::preload(const std::string& path) {
    chunkFor(path, false);
}

// A channel that no tracked sound owns and nothing plays on; the mixer grows
// when every channel is busy.
int MixerEngine::freeChannel() {
    for (std::size_t channel = 0; channel < trackedChannels.size(); ++channel) {
        if (!trackedChannels[channel] && Mix_Playing(int(channel)) == 0) {
            return int(channel);
        }
    }
    const int count = int(trackedChannels.size());
    if (count >= kMaxMixerChannels) {
        return -1;
    }
    const int grown = Mix_AllocateChannels(std::min(count * 2, kMaxMixerChannels));
    trackedChannels.resize(std::size_t(grown), false);
    return grown > count ? count : -1;
}

} // namespace pizzeria::sound
