// The SDL2_mixer engine on SDL's silent driver, which still mixes in real
// time: the tagged fixtures make the output tell which file played and from
// which frame.
#include "sound/MixerEngine.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/Process.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using pizzeria::sound::MixerEngine;
using pizzeria::sound::PlayingSound;
using soundtest::kFixtureFrames;
using soundtest::OutputTap;
using soundtest::tagsOf;

namespace {

constexpr int kTrackA = 1000;
constexpr int kEffect = 3000;

class MixerEngineTest : public testing::Test {
protected:
    void SetUp() override {
        soundtest::writeTaggedWav(file("a.mp3"), kTrackA);
        soundtest::writeTaggedWav(file("effect.mp3"), kEffect, 4410);
        engine = MixerEngine::create();
        ASSERT_NE(engine, nullptr) << "needs SDL_AUDIODRIVER=dummy or a sound device";
    }

    std::string file(const std::string& name) const { return (folder.path() / name).string(); }

    testsupport::TempDir folder;
    std::unique_ptr<MixerEngine> engine;
};

} // namespace

TEST_F(MixerEngineTest, PausedLoopResumesOnTheFrameAfterItStopped) {
    PlayingSound* track = engine->play2D(file("a.mp3"), true, false, true);
    ASSERT_NE(track, nullptr);
    OutputTap tap;
    // Longer than the file, so the loop wraps before the pause.
    ASSERT_TRUE(soundtest::letPlay(tap, kFixtureFrames + 8192));
    EXPECT_FALSE(track->isPaused());

    track->setPaused(true);
    EXPECT_TRUE(track->isPaused());
    const auto pausedAt = track->framesPlayed();
    EXPECT_GT(pausedAt, std::uint64_t(kFixtureFrames));
    ASSERT_TRUE(soundtest::letPlay(tap, 8192));
    EXPECT_EQ(track->framesPlayed(), pausedAt);

    track->setPaused(false);
    EXPECT_FALSE(track->isPaused());
    ASSERT_TRUE(soundtest::letPlay(tap, 4096));
    EXPECT_GT(track->framesPlayed(), pausedAt);

    const auto heard = tap.heard();
    ASSERT_EQ(tagsOf(heard), (std::vector<int>{kTrackA, kTrackA}));
    EXPECT_GT(heard[0].frames, kFixtureFrames);
    EXPECT_EQ(heard[1].first, (heard[0].last + 1) % kFixtureFrames);
}

TEST_F(MixerEngineTest, ManyEffectsOverlapWithoutDisturbingATrack) {
    PlayingSound* track = engine->play2D(file("a.mp3"), true, false, true);
    ASSERT_NE(track, nullptr);
    // More than the mixer's first channels; each file is decoded once.
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(engine->play2D(file("effect.mp3"), false, false, false), nullptr);
    }
    EXPECT_EQ(engine->soundingEffects(), 40);
    EXPECT_EQ(engine->cachedFiles(), 2u);
    EXPECT_FALSE(track->isPaused());

    const auto before = track->framesPlayed();
    EXPECT_TRUE(soundtest::waitFor([&] { return engine->soundingEffects() == 0; }))
        << "one-shots end by themselves";
    EXPECT_GT(track->framesPlayed(), before);
    EXPECT_FALSE(track->isPaused());
}

TEST_F(MixerEngineTest, FileThatCannotBePlayedStartsNothing) {
    std::ofstream(file("text.mp3")) << "not a sound at all, just some words\n";
    fs::create_directory(folder.path() / "folder.mp3");
    for (const char* name : {"absent.mp3", "text.mp3", "folder.mp3"}) {
        for (int variant = 0; variant < 8; ++variant) {
            const bool looped = variant & 1;
            const bool startPaused = variant & 2;
            const bool track = variant & 4;
            EXPECT_EQ(engine->play2D(file(name), looped, startPaused, track), nullptr)
                << name << " variant " << variant;
        }
    }
    EXPECT_EQ(engine->soundingEffects(), 0);
    EXPECT_EQ(engine->cachedFiles(), 0u);
}

TEST_F(MixerEngineTest, SilencedEngineStillAdvancesItsTracks) {
    engine->setMasterVolume(0.0f);
    PlayingSound* track = engine->play2D(file("a.mp3"), true, false, true);
    ASSERT_NE(track, nullptr);
    OutputTap tap;
    ASSERT_TRUE(soundtest::letPlay(tap, 4096));
    EXPECT_TRUE(tap.heard().empty());
    EXPECT_GT(track->framesPlayed(), 0u);

    engine->setMasterVolume(1.0f);
    ASSERT_TRUE(soundtest::letPlay(tap, 4096));
    EXPECT_EQ(tagsOf(tap.heard()), std::vector<int>{kTrackA});
}

TEST_F(MixerEngineTest, OnlyOneEngineIsOpenAtATime) {
    EXPECT_EQ(MixerEngine::create(), nullptr);
    engine.reset();
    engine = MixerEngine::create();
    EXPECT_NE(engine, nullptr);
}

TEST_F(MixerEngineTest, ChosenDriverOpensWithoutAWarning) {
    engine.reset();
    testing::internal::CaptureStderr();
    engine = MixerEngine::create();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(engine, nullptr);
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), std::getenv("SDL_AUDIODRIVER"));
}
