#include "sound/SoundManager.h"

#include "app/Console.h"
#include "app/GameSettings.h"
#include "sound/MixerEngine.h"

#include <iostream>
#include <map>

namespace pizzeria::sound {

bool soundMuted = false;
bool partyMode = false;
std::int32_t hitCounter = 1;

namespace {

const char* const kSoundFolder = "Sounds/";
const char* const kBackground = "background";
const char* const kDisco = "disco";
constexpr int kHitSounds = 5;

std::unique_ptr<AudioEngine> engine;
// The two music tracks; the engine owns them.
std::map<std::string, PlayingSound*> musicTable;

const char* const kMusicFiles[] = {"backgroundMusic.mp3", "disco.mp3"};

std::future<PreparedSound> promised;

bool musicMayPlay() {
    return !soundMuted && !app::gameSettings.gameOver;
}

} // namespace

PreparedSound::PreparedSound() = default;
PreparedSound::PreparedSound(PreparedSound&&) noexcept = default;
PreparedSound& PreparedSound::operator=(PreparedSound&&) noexcept = default;
PreparedSound::~PreparedSound() = default;

PreparedSound openSound() {
    MixerEngine::settleDriverChoice();
    PreparedSound opened;
    opened.engine = MixerEngine::open(opened.warning);
    return opened;
}

void decodeMusic(PreparedSound& opened) {
    // Only the music: start-up always decoded it. Effects wait for their
    // first play as they always did, so a damaged one is still only heard
    // of (the decoder's own notes) when it plays.
    if (opened.engine) {
        for (const char* file : kMusicFiles) {
            opened.engine->preload(kSoundFolder + std::string(file));
        }
    }
}

void promiseSound(std::future<PreparedSound> prepared) {
    promised = std::move(prepared);
}

void startSound() {
    if (!promised.valid()) {
        startSound(MixerEngine::create());
        return;
    }
    PreparedSound prepared = promised.get();
    if (!prepared.warning.empty()) {
        std::cerr << prepared.warning << std::endl;
    }
    startSound(std::move(prepared.engine));
}

void startSound(std::unique_ptr<AudioEngine> created) {
    if (!created) {
        std::cerr << "ERROR: Could not create Sound Engine" << std::endl;
        app::exitAfterPause(1);
    }
    musicTable.clear();
    engine = std::move(created);
    engine->setMasterVolume(0.0f);
    registerSound(kDisco, "disco.mp3");
    registerSound(kBackground, "backgroundMusic.mp3");
    // Muting and then toggling resumes the current track the same way key M
    // does.
    soundMuted = !soundMuted;
    toggleSound();
    engine->setMasterVolume(1.0f);
}

void registerSound(const std::string& key, const std::string& file) {
    // Started paused, so the track waits exactly at its start.
    const std::string path = kSoundFolder + file;
    PlayingSound* handle = engine ? engine->play2D(path, true, true, true) : nullptr;
    if (!handle) {
        std::cerr << "ERROR: Could not play music file: " << path << std::endl;
        app::exitAfterPause(1);
    }
    musicTable.emplace(key, handle);
}

PlayingSound* findSound(const std::string& key) {
    const auto found = musicTable.find(key);
    if (found == musicTable.end()) {
        std::cerr << "ERROR: Could not find sound: " << key << std::endl;
        app::exitAfterPause(1);
    }
    return found->second;
}

bool toggleSound() {
    soundMuted = !soundMuted;
    // Before start-up there is no music to switch (scene tests hit objects
    // without sound).
    if (engine) {
        PlayingSound* music = findSound(partyMode ? kDisco : kBackground);
        if (soundMuted) {
            music->setPaused(true);
        } else if (!app::gameSettings.gameOver) {
            music->setPaused(false);
        }
    }
    return soundMuted;
}

bool togglePartyMode() {
    partyMode = !partyMode;
    if (engine) {
        findSound(partyMode ? kBackground : kDisco)->setPaused(true);
        if (musicMayPlay()) {
            findSound(partyMode ? kDisco : kBackground)->setPaused(false);
        }
    }
    return partyMode;
}

void playSound(const std::string& file) {
    if (!soundMuted && engine) {
        engine->play2D(kSoundFolder + file, false, false, false);
    }
}

void stopMusic() {
    if (engine) {
        findSound(kBackground)->setPaused(true);
        findSound(kDisco)->setPaused(true);
    }
}

void resumeMusic() {
    if (engine && musicMayPlay()) {
        findSound(partyMode ? kDisco : kBackground)->setPaused(false);
    }
}

void playHitSound() {
    // Keeping the counter at the number just played gives the same rotation
    // as counting up for ever, without ever overflowing.
    const int next = ((hitCounter % kHitSounds) + kHitSounds) % kHitSounds + 1;
    hitCounter = next;
    playSound("hit" + std::to_string(next) + ".mp3");
}

void releaseSound() {
    musicTable.clear();
    engine.reset();
    soundMuted = false;
    partyMode = false;
    hitCounter = 1;
}

AudioEngine* soundEngine() {
    return engine.get();
}

} // namespace pizzeria::sound
