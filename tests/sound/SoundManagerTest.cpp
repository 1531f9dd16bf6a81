// The process-wide sound player: which track the keys leave playing, what
// reaches the output through the real engine, and its fatal failures.
#include "sound/SoundManager.h"

#include "app/GameSettings.h"
#include "sound/MixerEngine.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/Process.h"

#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;
namespace sound = pizzeria::sound;
using pizzeria::app::gameSettings;
using pizzeria::sound::PlayingSound;
using soundtest::OutputTap;
using soundtest::tagsOf;
using testing::StrEq;

namespace {

constexpr int kBackground = 1000;
constexpr int kDisco = 2000;
constexpr int kMoney = 3000;

// Runs in a folder of its own with the music and one effect, each tagged so
// the output tells them apart.
class SoundPlayer : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        const fs::path sounds = folder.path() / "Sounds";
        soundtest::writeTaggedWav(sounds / "backgroundMusic.mp3", kBackground);
        soundtest::writeTaggedWav(sounds / "disco.mp3", kDisco);
        soundtest::writeTaggedWav(sounds / "moneySound.mp3", kMoney, 2205);
        previous = fs::current_path();
        fs::current_path(folder.path());
    }

    void TearDown() override {
        sound::releaseSound();
        gameSettings.gameOver = false;
        fs::current_path(previous);
    }

    static sound::MixerEngine* startMixer() {
        sound::startSound();
        return dynamic_cast<sound::MixerEngine*>(sound::soundEngine());
    }

    static bool backgroundPaused() { return sound::findSound("background")->isPaused(); }
    static bool discoPaused() { return sound::findSound("disco")->isPaused(); }

    testsupport::TempDir folder;
    fs::path previous;
};

} // namespace

// --- Which track the keys leave playing --------------------------------

// Party mode and mute alone are heard below.
TEST_F(SoundPlayer, KeysAndGameOverLeaveTheTracksAsExpected) {
    // M: toggleSound, P: togglePartyMode, O: game over.
    const struct {
        const char* keys;
        bool muted;
        bool party;
        bool backgroundPaused;
        bool discoPaused;
    } cases[] = {
        {"M", true, false, true, true},    {"MP", true, true, true, true},
        {"MPM", false, true, true, false}, {"MPP", true, false, true, true},
        {"O", false, false, true, true},   {"OMM", false, false, true, true},
        {"OP", false, true, true, true},   {"POP", false, false, true, true},
        {"PMOM", false, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("keys \"") + c.keys + "\"");
        ASSERT_NE(startMixer(), nullptr);
        for (const char* key = c.keys; *key; ++key) {
            if (*key == 'M') {
                EXPECT_EQ(sound::toggleSound(), sound::soundMuted);
            } else if (*key == 'P') {
                EXPECT_EQ(sound::togglePartyMode(), sound::partyMode);
            } else {
                gameSettings.gameOver = true; // as the rules end a game
                sound::stopMusic();
            }
        }
        EXPECT_EQ(sound::soundMuted, c.muted);
        EXPECT_EQ(sound::partyMode, c.party);
        EXPECT_EQ(backgroundPaused(), c.backgroundPaused);
        EXPECT_EQ(discoPaused(), c.discoPaused);
        sound::releaseSound();
        gameSettings.gameOver = false;
    }
}

// --- What is heard, through the real engine -----------------------------

// Muting in party mode holds the party track, and each track goes on where
// it stopped.
TEST_F(SoundPlayer, PartyModeAndMuteSwapAndHoldTracksThatResumeWhereTheyStopped) {
    sound::startSound();
    OutputTap tap;
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_TRUE(sound::togglePartyMode());
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_TRUE(sound::toggleSound());
    EXPECT_TRUE(discoPaused());
    EXPECT_TRUE(backgroundPaused());
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_FALSE(sound::toggleSound());
    for (bool party : {false, true}) {
        ASSERT_TRUE(soundtest::letPlay(tap, 6000));
        EXPECT_EQ(sound::togglePartyMode(), party);
    }
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_FALSE(discoPaused());
    EXPECT_TRUE(backgroundPaused());

    const auto heard = tap.heard();
    ASSERT_EQ(tagsOf(heard), (std::vector<int>{kBackground, kDisco, kDisco, kBackground, kDisco}));
    EXPECT_EQ(heard[1].first, 0) << "the party track starts at its start";
    const auto after = [](const soundtest::Segment& s) {
        return (s.last + 1) % soundtest::kFixtureFrames;
    };
    EXPECT_EQ(heard[2].first, after(heard[1]));
    EXPECT_EQ(heard[3].first, after(heard[0]));
    EXPECT_EQ(heard[4].first, after(heard[2]));
}

TEST_F(SoundPlayer, AnEffectPlaysOnceAndNotAtAllWhileMuted) {
    sound::MixerEngine* engine = startMixer();
    ASSERT_NE(engine, nullptr);
    sound::toggleSound();
    OutputTap tap;
    sound::playSound("moneySound.mp3");
    EXPECT_EQ(engine->soundingEffects(), 0);
    sound::toggleSound();
    ASSERT_TRUE(soundtest::letPlay(tap, 8192));
    EXPECT_EQ(tagsOf(tap.heard()), std::vector<int>{kBackground});

    sound::playSound("moneySound.mp3");
    EXPECT_EQ(engine->soundingEffects(), 1);
    EXPECT_TRUE(soundtest::waitFor([&] { return engine->soundingEffects() == 0; }))
        << "an effect ends by itself";
}

// --- Without a sound device ---------------------------------------------

TEST_F(SoundPlayer, WithoutASoundDeviceTheGamePlaysSilently) {
    const fs::path emptyAlsaConfig = folder.path() / "alsa.conf";
    std::ofstream(emptyAlsaConfig).close();
    const auto check = [](bool ok, const char* what) {
        if (!ok) {
            std::cerr << "failed: " << what << std::endl;
        }
    };
    EXPECT_EXIT(
        {
            unsetenv("SDL_AUDIODRIVER");
            // ALSA with no devices at all stands in for a machine without sound, whatever
            // this one has; it would also print lines of its own.
            setenv("ALSA_CONFIG_PATH", emptyAlsaConfig.c_str(), 1);
            SDL_SetHint(SDL_HINT_AUDIODRIVER, "alsa");
            sound::MixerEngine* engine = startMixer();
            check(engine != nullptr, "engine");
            check(SDL_GetCurrentAudioDriver() == std::string("dummy"), "dummy driver");
            PlayingSound* music = sound::findSound("background");
            check(soundtest::waitFor([&] { return music->framesPlayed() > 0; }), "music plays");
            sound::playSound("moneySound.mp3");
            check(engine->soundingEffects() == 1, "effect plays");
            check(sound::toggleSound() && music->isPaused(), "mute pauses");
            struct sigaction action {};
            sigaction(SIGINT, nullptr, &action);
            check(action.sa_handler == SIG_DFL, "Ctrl+C still ends the game");
            std::exit(0);
        },
        testing::ExitedWithCode(0), StrEq("WARNING: no sound device found, playing silently\n"));
}
