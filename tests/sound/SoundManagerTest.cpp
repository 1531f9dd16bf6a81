// The process-wide sound player: its calls to the engine, recorded; what
// reaches the output through the real engine; and its fatal failures.
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
using testing::ElementsAre;
using testing::IsEmpty;
using testing::StrEq;

namespace {

constexpr int kBackground = 1000;
constexpr int kDisco = 2000;
constexpr int kMoney = 3000;

// Remembers what the player asked of it; tracked sounds keep only their
// paused state.
class RecordedSound final : public sound::PlayingSound {
public:
    explicit RecordedSound(bool paused) : paused(paused) {}
    void setPaused(bool value) override { paused = value; }
    bool isPaused() const override { return paused; }
    std::uint64_t framesPlayed() const override { return 0; }

private:
    bool paused;
};

class RecordingEngine final : public sound::AudioEngine {
public:
    explicit RecordingEngine(std::vector<std::string>& log) : log(log) {}

    void setMasterVolume(float volume) override {
        log.push_back("volume " + std::to_string(int(volume * 100)) + "%");
    }

    sound::PlayingSound* play2D(const std::string& path, bool looped, bool startPaused,
                                bool track) override {
        log.push_back("play " + path + (looped ? " looped" : " once") +
                      (startPaused ? " paused" : "") + (track ? " tracked" : ""));
        if (!track) {
            return nullptr;
        }
        sounds.push_back(std::make_unique<RecordedSound>(startPaused));
        return sounds.back().get();
    }

private:
    std::vector<std::string>& log;
    std::vector<std::unique_ptr<RecordedSound>> sounds;
};

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

    void startRecording() {
        sound::startSound(std::make_unique<RecordingEngine>(log));
        log.clear();
    }

    static sound::MixerEngine* startMixer() {
        sound::startSound();
        return dynamic_cast<sound::MixerEngine*>(sound::soundEngine());
    }

    static bool backgroundPaused() { return sound::findSound("background")->isPaused(); }
    static bool discoPaused() { return sound::findSound("disco")->isPaused(); }

    // Game over as the rules do it.
    static void endGame() {
        gameSettings.gameOver = true;
        sound::stopMusic();
    }

    testsupport::TempDir folder;
    fs::path previous;
    std::vector<std::string> log;
};

} // namespace

// --- What the player asks of the engine --------------------------------

TEST_F(SoundPlayer, StartLoadsBothTracksSilentlyThenLetsTheBackgroundPlay) {
    sound::startSound(std::make_unique<RecordingEngine>(log));
    EXPECT_THAT(log, ElementsAre("volume 0%", "play Sounds/disco.mp3 looped paused tracked",
                                 "play Sounds/backgroundMusic.mp3 looped paused tracked",
                                 "volume 100%"));
    EXPECT_FALSE(backgroundPaused());
    EXPECT_TRUE(discoPaused());
    EXPECT_FALSE(sound::soundMuted);
    EXPECT_FALSE(sound::partyMode);
    EXPECT_NE(sound::findSound("background"), sound::findSound("disco"));
}

TEST_F(SoundPlayer, KeysAndGameOverLeaveTheTracksAsExpected) {
    // M: toggleSound, P: togglePartyMode, O: game over.
    const struct {
        const char* keys;
        bool muted;
        bool party;
        bool backgroundPaused;
        bool discoPaused;
    } cases[] = {
        {"", false, false, false, true},   {"M", true, false, true, true},
        {"MM", false, false, false, true}, {"P", false, true, true, false},
        {"PP", false, false, false, true}, {"PM", true, true, true, true},
        {"PMM", false, true, true, false}, {"MP", true, true, true, true},
        {"MPM", false, true, true, false}, {"MPP", true, false, true, true},
        {"O", false, false, true, true},   {"OMM", false, false, true, true},
        {"OP", false, true, true, true},   {"POP", false, false, true, true},
        {"PMOM", false, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("keys \"") + c.keys + "\"");
        startRecording();
        for (const char* key = c.keys; *key; ++key) {
            if (*key == 'M') {
                EXPECT_EQ(sound::toggleSound(), sound::soundMuted);
            } else if (*key == 'P') {
                EXPECT_EQ(sound::togglePartyMode(), sound::partyMode);
            } else {
                endGame();
            }
        }
        EXPECT_EQ(sound::soundMuted, c.muted);
        EXPECT_EQ(sound::partyMode, c.party);
        EXPECT_EQ(backgroundPaused(), c.backgroundPaused);
        EXPECT_EQ(discoPaused(), c.discoPaused);
        EXPECT_THAT(log, IsEmpty()) << "toggles only pause and resume";
        sound::releaseSound();
        gameSettings.gameOver = false;
    }
}

TEST_F(SoundPlayer, HitSoundsRotateThroughAllFive) {
    startRecording();
    for (int i = 0; i < 7; ++i) {
        sound::playHitSound();
    }
    EXPECT_THAT(log, ElementsAre("play Sounds/hit2.mp3 once", "play Sounds/hit3.mp3 once",
                                 "play Sounds/hit4.mp3 once", "play Sounds/hit5.mp3 once",
                                 "play Sounds/hit1.mp3 once", "play Sounds/hit2.mp3 once",
                                 "play Sounds/hit3.mp3 once"));
}

TEST_F(SoundPlayer, EffectsWhileMutedAreDroppedNotPostponed) {
    startRecording();
    EXPECT_TRUE(sound::toggleSound());
    sound::playSound("moneySound.mp3");
    sound::playHitSound();
    EXPECT_THAT(log, IsEmpty());

    EXPECT_FALSE(sound::toggleSound());
    EXPECT_THAT(log, IsEmpty());
    // The muted hit still took its turn.
    sound::playHitSound();
    sound::playSound("hitWrong.mp3");
    EXPECT_THAT(log, ElementsAre("play Sounds/hit3.mp3 once", "play Sounds/hitWrong.mp3 once"));
}

TEST_F(SoundPlayer, BeforeStartTogglesOnlyFlipTheirSwitches) {
    ASSERT_EQ(sound::soundEngine(), nullptr);
    EXPECT_TRUE(sound::toggleSound());
    EXPECT_TRUE(sound::togglePartyMode());
    sound::stopMusic();
    sound::playSound("moneySound.mp3");
    sound::playHitSound();
    EXPECT_EQ(sound::hitCounter, 2);
    EXPECT_FALSE(sound::toggleSound());
    EXPECT_FALSE(sound::togglePartyMode());
}

TEST_F(SoundPlayer, ReleaseReturnsToTheStartState) {
    startRecording();
    sound::toggleSound();
    sound::togglePartyMode();
    sound::playHitSound();
    sound::releaseSound();
    EXPECT_EQ(sound::soundEngine(), nullptr);
    EXPECT_FALSE(sound::soundMuted);
    EXPECT_FALSE(sound::partyMode);
    EXPECT_EQ(sound::hitCounter, 1);
}

// --- What is heard, through the real engine -----------------------------

TEST_F(SoundPlayer, PartyModeSwapsTracksAndEachResumesWhereItStopped) {
    sound::startSound();
    OutputTap tap;
    const bool expected[] = {true, false, true};
    for (bool party : expected) {
        ASSERT_TRUE(soundtest::letPlay(tap, 6000));
        EXPECT_EQ(sound::togglePartyMode(), party);
    }
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_FALSE(discoPaused());
    EXPECT_TRUE(backgroundPaused());

    const auto heard = tap.heard();
    ASSERT_EQ(tagsOf(heard), (std::vector<int>{kBackground, kDisco, kBackground, kDisco}));
    EXPECT_EQ(heard[1].first, 0) << "the party track starts at its start";
    EXPECT_EQ(heard[2].first, (heard[0].last + 1) % soundtest::kFixtureFrames);
    EXPECT_EQ(heard[3].first, (heard[1].last + 1) % soundtest::kFixtureFrames);
}

TEST_F(SoundPlayer, MuteInPartyModeHoldsThePartyTrack) {
    sound::startSound();
    sound::togglePartyMode();
    OutputTap tap;
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_TRUE(sound::toggleSound());
    EXPECT_TRUE(discoPaused());
    EXPECT_TRUE(backgroundPaused());
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));
    EXPECT_FALSE(sound::toggleSound());
    ASSERT_TRUE(soundtest::letPlay(tap, 6000));

    const auto heard = tap.heard();
    ASSERT_EQ(tagsOf(heard), (std::vector<int>{kDisco, kDisco}));
    EXPECT_EQ(heard[1].first, (heard[0].last + 1) % soundtest::kFixtureFrames);
}

TEST_F(SoundPlayer, EffectWhileMutedLeavesNothingPending) {
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
}

TEST_F(SoundPlayer, MissingEffectFilePlaysNothingAndSaysNothing) {
    sound::MixerEngine* engine = startMixer();
    ASSERT_NE(engine, nullptr);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    sound::playSound("applause.mp3");
    EXPECT_THAT(testing::internal::GetCapturedStdout(), IsEmpty());
    EXPECT_THAT(testing::internal::GetCapturedStderr(), IsEmpty());
    EXPECT_EQ(engine->soundingEffects(), 0);
}

// --- Fatal failures -----------------------------------------------------

TEST_F(SoundPlayer, MissingMusicEndsTheProgramWithoutAMessage) {
    for (const char* file : {"backgroundMusic.mp3", "disco.mp3"}) {
        SCOPED_TRACE(file);
        fs::rename(fs::path("Sounds") / file, "moved.mp3");
        EXPECT_EXIT(sound::startSound(), testing::ExitedWithCode(1), IsEmpty());
        fs::rename("moved.mp3", fs::path("Sounds") / file);
    }
}

TEST_F(SoundPlayer, WithoutASoundDeviceTheGamePlaysSilently) {
    const fs::path emptyAlsaConfig = folder.path() / "alsa.conf";
    std::ofstream{emptyAlsaConfig};
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

TEST_F(SoundPlayer, NoOutputAtAllEndsTheProgram) {
    EXPECT_EXIT(
        {
            unsetenv("SDL_AUDIODRIVER");
            // Forced over every other choice, a bad driver keeps even the silent one shut.
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "no-such-driver", SDL_HINT_OVERRIDE);
            sound::startSound();
        },
        testing::ExitedWithCode(1), StrEq("ERROR: Could not create Sound Engine\n"));
}

// A driver the user names is not second-guessed: a bad one is fatal, not silence.
TEST_F(SoundPlayer, UnknownChosenDriverEndsTheProgram) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            sound::startSound();
        },
        testing::ExitedWithCode(1), StrEq("ERROR: Could not create Sound Engine\n"));
    EXPECT_EXIT(sound::startSound(nullptr), testing::ExitedWithCode(1),
                StrEq("ERROR: Could not create Sound Engine\n"));
}

TEST_F(SoundPlayer, UnknownMusicKeyEndsTheProgram) {
    startRecording();
    EXPECT_EXIT(sound::findSound("jazz"), testing::ExitedWithCode(1),
                StrEq("ERROR: Could not find sound: jazz\n"));
    EXPECT_EXIT(sound::findSound("Background"), testing::ExitedWithCode(1),
                StrEq("ERROR: Could not find sound: Background\n"));
}
