// The built game started the way careless players and hostile machines start
// it: its display killed under it, its output streams closed or piped into
// `head -1`, damaged data, odd sound settings, a driver below OpenGL 3.3.
// Each game runs on an X server of its own with real X input, and every run
// must end with its exit code and its one line, never hung nor killed by a
// signal.
#include "tests/support/BuildPaths.h"
#include "tests/support/PrivateDisplay.h"
#include "tests/support/Process.h"
#include "tests/support/RunFolder.h"
#include "tests/support/X11Windows.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <fstream>
#include <memory>

using namespace std::chrono_literals;
using testsupport::ChildOptions;
using testsupport::lines;
using testsupport::ProcessResult;
using testsupport::Stream;

namespace {

// Generous: the software rasteriser on a busy machine may take seconds a frame.
constexpr auto patience = 90s;

const std::string kDisplayLost = "ERROR: Lost the connection to the display.";

// The last line of `text` that starts with "ERROR" (a log may follow it).
std::string lastError(const std::string& text) {
    std::string last;
    for (const std::string& line : lines(text)) {
        if (line.rfind("ERROR", 0) == 0) {
            last = line;
        }
    }
    return last;
}

// ALSA, PulseAudio, PipeWire and JACK without a device or a server between
// them: a machine without sound, whatever this one has.
void withoutSoundDevice(ChildOptions& options, const std::filesystem::path& scratch) {
    std::ofstream(scratch / "alsa.conf").close(); // an empty file
    options.set.insert(options.set.end(),
                       {{"ALSA_CONFIG_PATH", (scratch / "alsa.conf").string()},
                        {"PULSE_SERVER", "unix:" + (scratch / "no-pulse").string()},
                        {"XDG_RUNTIME_DIR", scratch.string()},
                        {"JACK_NO_START_SERVER", "1"}});
    options.unset.emplace_back("SDL_AUDIODRIVER");
}

class HostileRun : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display.ok()) << "Xvfb did not start"; }

    void start(ChildOptions options = {}) {
        options.set.emplace_back("DISPLAY", display.name());
        game = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{folder.executable().string(), "640", "480"}, folder.path(),
            options);
    }

    // Waits for the game's window and gives it the keyboard.
    void waitForWindow() {
        testsupport::X11Windows x11(display.name());
        const unsigned long window = x11.waitForWindow("Pizzeria", game->processId(), patience);
        ASSERT_NE(window, 0u) << "the game window never appeared";
        ASSERT_EQ(xdotool("windowfocus --sync " + std::to_string(window)), 0);
    }

    int xdotool(const std::string& arguments) const {
        return testsupport::xdotool(display.name(), arguments);
    }

    // Keys as real X input, then Escape; the result of the whole run.
    ProcessResult typeThenEscape(const std::string& keys) {
        EXPECT_EQ(xdotool("key " + keys), 0);
        EXPECT_EQ(xdotool("key Escape"), 0);
        return finish();
    }

    ProcessResult finish() {
        ProcessResult result = game->wait(patience);
        EXPECT_FALSE(result.timedOut) << "hung\nstderr: " << result.err;
        EXPECT_FALSE(result.signaled) << "killed by a signal\nstderr: " << result.err;
        return result;
    }

    testsupport::RunFolder folder{testsupport::runDir()};
    testsupport::TempDir scratch;
    testsupport::PrivateDisplay display;
    std::unique_ptr<testsupport::ChildProcess> game;
};

// --- The display goes ---------------------------------------------------

enum class Moment { StartUp, Play, Shutdown };

class LostDisplay : public HostileRun, public testing::WithParamInterface<Moment> {};

TEST_P(LostDisplay, EndsWithOneLineAndCodeOne) {
    start();
    ASSERT_NO_FATAL_FAILURE(waitForWindow());
    if (GetParam() == Moment::Play) {
        xdotool("key F7");
        ASSERT_NE(testsupport::waitForLine(*game, "shadows off", 0, patience), 0u);
    } else if (GetParam() == Moment::Shutdown) {
        // Held while Escape reaches it and the display goes, so the game
        // meets the dead display on its way out, not before nor after.
        ASSERT_EQ(::kill(pid_t(game->processId()), SIGSTOP), 0);
        EXPECT_EQ(xdotool("key Escape"), 0);
    }
    display.kill();
    if (GetParam() == Moment::Shutdown) {
        ASSERT_EQ(::kill(pid_t(game->processId()), SIGCONT), 0);
    }
    const ProcessResult result = finish();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(lines(result.err), std::vector<std::string>{kDisplayLost});
}

std::string momentName(const testing::TestParamInfo<Moment>& info) {
    static const char* const names[] = {"StartUp", "Play", "Shutdown"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Moments, LostDisplay,
                         testing::Values(Moment::StartUp, Moment::Play, Moment::Shutdown),
                         momentName);

// --- Output nobody reads ------------------------------------------------

struct StreamCase {
    const char* name;
    Stream out;
    Stream err;
    bool withoutSound; // no sound device and SDL_AUDIODRIVER empty; else as CI sets it
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    *out << c.name;
}

const StreamCase kStreamCases[] = {
    // The first line a key prints after the reader has gone raised SIGPIPE.
    {"OutputPipedIntoHeadOne", Stream::Pipe, Stream::File, false},
    // The first console line would go into the display connection.
    {"StdoutClosed", Stream::Closed, Stream::File, false},
    // So would the no-sound-device warning. An empty driver means unset: the
    // silent fallback opens, or the game would end with code one.
    {"StderrClosed", Stream::File, Stream::Closed, true},
};

class PlaysOn : public HostileRun, public testing::WithParamInterface<StreamCase> {};

TEST_P(PlaysOn, AndEndsOnEscapeWithCodeZero) {
    ChildOptions options;
    options.out = GetParam().out;
    options.err = GetParam().err;
    if (GetParam().withoutSound) {
        withoutSoundDevice(options, scratch.path());
        options.set.emplace_back("SDL_AUDIODRIVER", "");
    }
    start(options);
    ASSERT_NO_FATAL_FAILURE(waitForWindow());
    if (GetParam().out == Stream::Pipe) {
        xdotool("key F7");
        EXPECT_NE(game->headLine(patience), "") << "nothing came through the pipe";
    }
    // Each key prints a line.
    const ProcessResult result = typeThenEscape("F7 F1 F1");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Streams, PlaysOn, testing::ValuesIn(kStreamCases),
                         [](const testing::TestParamInfo<StreamCase>& info) {
                             return std::string(info.param.name);
                         });

// --- Fatal start-up -----------------------------------------------------

struct FatalCase {
    const char* name;
    void (*damage)(const testsupport::RunFolder&);
    std::vector<std::pair<std::string, std::string>> environment;
    bool onStdout;          // where the message goes
    std::string line;       // the last ERROR line
    std::string linePrefix; // an earlier line starts with this; empty: none expected
};

void PrintTo(const FatalCase& c, std::ostream* out) {
    *out << c.name;
}

const FatalCase kFatalCases[] = {
    // Each stage compiles alone; the text program's varying types disagree.
    {"ProgramThatFailsToLink",
     [](const testsupport::RunFolder& folder) {
         folder.write("Shader/text.vert", "#version 330 core\n"
                                          "layout (location = 0) in vec4 vertex;\n"
                                          "out vec3 TexCoords;\n"
                                          "void main() {\n"
                                          "    TexCoords = vertex.xyz;\n"
                                          "    gl_Position = vec4(vertex.xy, 0.0, 1.0);\n"
                                          "}\n");
     },
     {},
     false,
     "ERROR: Failed to link shader program: text",
     ""},
    // Read at start, so that nothing removed from disk later can end a game.
    {"MissingGangster",
     [](const testsupport::RunFolder& folder) {
         folder.remove("GameObjects/Enemies/Gangster/gangster.obj");
     },
     {},
     true,
     "ERROR: ASSIMP: Unable to open file \"GameObjects/Enemies/Gangster/gangster.obj\".",
     ""},
    {"NamedSoundDriverMissing",
     [](const testsupport::RunFolder&) {},
     {{"SDL_AUDIODRIVER", "nosuch"}},
     false,
     "ERROR: Could not create Sound Engine",
     "SDL error: audio driver \"nosuch\" (SDL_AUDIODRIVER) did not open: "},
    {"DriverBelowOpenGl33",
     [](const testsupport::RunFolder&) {},
     {{"MESA_GL_VERSION_OVERRIDE", "3.0"}},
     false,
     "ERROR: The game needs OpenGL 3.3 (core profile), which this driver does not offer.",
     "ERROR: Could not open window."},
};

class EndsAtStart : public HostileRun, public testing::WithParamInterface<FatalCase> {};

TEST_P(EndsAtStart, WithItsMessageAndCodeOne) {
    GetParam().damage(folder);
    ChildOptions options;
    options.set = GetParam().environment;
    start(options);
    const ProcessResult result = finish();
    EXPECT_EQ(result.exitCode, 1);
    const std::string& text = GetParam().onStdout ? result.out : result.err;
    EXPECT_EQ(lastError(text), GetParam().line) << text;
    if (!GetParam().linePrefix.empty()) {
        const auto all = lines(text);
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& line) {
            return line.rfind(GetParam().linePrefix, 0) == 0;
        })) << text;
    }
    EXPECT_EQ(result.err.find("GL ERROR DETECTED"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Causes, EndsAtStart, testing::ValuesIn(kFatalCases),
                         [](const testing::TestParamInfo<FatalCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
