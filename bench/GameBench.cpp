// Runs the real game through a fixed scenario and reports start-up, frame
// times, per-pass GPU times and peak memory as a table and as JSON.
//
//   pizzeria_bench [--frames N] [--warmup N] [--startup-runs N] [--json FILE]
//                  [--run-dir DIR] [--configs a,b,...] [--floor]
//                  [--ab OTHER_BUILD_DIR [--rounds N]]
//
// --floor draws every other frame with each program's fragment shader
// replaced by one that writes constants (same vertex shader, geometry,
// targets and state), and gives each pass its time over that floor.
// --ab runs this build and another one's bench alternately: start-up runs,
// then N rounds of frames (default 3), and prints both with their ratio.
#include "bench/AllocationCounter.h"
#include "bench/Scenario.h"

#include "render/Renderer.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

using pizzeria::bench::cpuNanos;
using pizzeria::bench::wallNanos;

// ---------------------------------------------------------------------------
// Start-up stages, timed by link-time wrappers around the functions that
// build each kind of resource (see bench/CMakeLists.txt).

namespace {

struct StartupClock {
    std::int64_t windowReady = 0; // glewInit returned
    std::int64_t shaders = 0;
    std::int64_t renderer = 0; // the whole Renderer constructor
    std::int64_t models = 0;   // file models, their textures included
    std::int64_t textures = 0;
    std::int64_t terrain = 0; // the whole Terrain constructor
    std::int64_t terrainTextures = 0;
    std::int64_t modelTextures = 0;
    std::int64_t rendererShaders = 0;
    std::int64_t font = 0;
    std::int64_t sound = 0;
    std::int64_t glObjectsInFrames = 0;
    bool inFrame = false;
};

StartupClock clock_;

template <typename Call> std::int64_t timed(Call&& call) {
    const std::int64_t start = wallNanos();
    call();
    return wallNanos() - start;
}

} // namespace

// Itanium names of the wrapped game functions; the CMake file wraps the same.
#define PZ_STRING "NSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"
#define PZ_TERRAIN "_ZN8pizzeria5scene7terrain7TerrainC1Ev"
#define PZ_RENDERER "_ZN8pizzeria6render8RendererC1Eii"
#define PZ_SHADER "_ZN8pizzeria6render6ShaderC1ERK" PZ_STRING "S9_"
#define PZ_MODEL "_ZN8pizzeria6assets5ModelC1ERK" PZ_STRING
#define PZ_TEXTURE "_ZN8pizzeria6assets11loadTextureERK" PZ_STRING
#define PZ_FONT "_ZN8pizzeria3hud12TextRendererC1Ei"
#define PZ_SOUND "_ZN8pizzeria5sound10startSoundEv"

GLenum realGlewInit() __asm__("__real_glewInit");
GLenum wrapGlewInit() __asm__("__wrap_glewInit");
void realGenTextures(GLsizei n, GLuint* textures) __asm__("__real_glGenTextures");
void wrapGenTextures(GLsizei n, GLuint* textures) __asm__("__wrap_glGenTextures");
void realTerrain(void* self) __asm__("__real_" PZ_TERRAIN);
void wrapTerrain(void* self) __asm__("__wrap_" PZ_TERRAIN);
void realRenderer(void* self, int width, int height) __asm__("__real_" PZ_RENDERER);
void wrapRenderer(void* self, int width, int height) __asm__("__wrap_" PZ_RENDERER);
void realShader(void* self, const std::string& vertex,
                const std::string& fragment) __asm__("__real_" PZ_SHADER);
void wrapShader(void* self, const std::string& vertex,
                const std::string& fragment) __asm__("__wrap_" PZ_SHADER);
void realModel(void* self, const std::string& path) __asm__("__real_" PZ_MODEL);
void wrapModel(void* self, const std::string& path) __asm__("__wrap_" PZ_MODEL);
GLuint realTexture(const std::string& path) __asm__("__real_" PZ_TEXTURE);
GLuint wrapTexture(const std::string& path) __asm__("__wrap_" PZ_TEXTURE);
void realFont(void* self, int height) __asm__("__real_" PZ_FONT);
void wrapFont(void* self, int height) __asm__("__wrap_" PZ_FONT);
void realSound() __asm__("__real_" PZ_SOUND);
void wrapSound() __asm__("__wrap_" PZ_SOUND);

GLenum wrapGlewInit() {
    const GLenum status = realGlewInit();
    clock_.windowReady = wallNanos();
    return status;
}

void wrapGenTextures(GLsizei n, GLuint* textures) {
    if (clock_.inFrame) {
        clock_.glObjectsInFrames += n;
    }
    realGenTextures(n, textures);
}

void wrapTerrain(void* self) {
    const std::int64_t before = clock_.textures;
    clock_.terrain += timed([&] { realTerrain(self); });
    clock_.terrainTextures += clock_.textures - before;
}

void wrapRenderer(void* self, int width, int height) {
    const std::int64_t before = clock_.shaders;
    clock_.renderer += timed([&] { realRenderer(self, width, height); });
    clock_.rendererShaders += clock_.shaders - before;
}

void wrapShader(void* self, const std::string& vertex, const std::string& fragment) {
    clock_.shaders += timed([&] { realShader(self, vertex, fragment); });
}

void wrapModel(void* self, const std::string& path) {
    const std::int64_t before = clock_.textures;
    clock_.models += timed([&] { realModel(self, path); });
    clock_.modelTextures += clock_.textures - before;
}

GLuint wrapTexture(const std::string& path) {
    GLuint texture = 0;
    clock_.textures += timed([&] { texture = realTexture(path); });
    return texture;
}

void wrapFont(void* self, int height) {
    clock_.font += timed([&] { realFont(self, height); });
}

void wrapSound() {
    clock_.sound += timed([&] { realSound(); });
}

// ---------------------------------------------------------------------------
// Per-pass GPU timing: every program switch starts a new timer query, so a
// pass is timed from its useShader to the next one.

namespace {

constexpr int maxSegments = 48;
constexpr GLuint frameStartLabel = 0; // the clear before the first pass

struct PassTimer {
    std::array<GLuint, maxSegments> queries{};
    std::array<GLuint, maxSegments> programs{};
    int count = 0;
    bool open = false;
    bool recording = false;

    void begin(GLuint program) {
        if (open) {
            glEndQuery(GL_TIME_ELAPSED);
            open = false;
        }
        if (!recording || count >= maxSegments) {
            return;
        }
        glBeginQuery(GL_TIME_ELAPSED, queries[std::size_t(count)]);
        programs[std::size_t(count)] = program;
        ++count;
        open = true;
    }

    void end() {
        if (open) {
            glEndQuery(GL_TIME_ELAPSED);
            open = false;
        }
        recording = false;
    }
};

PassTimer passTimer;

// Floor mode: each game program has a twin with the same vertex shader and a
// fragment shader that writes constants to the same outputs. While `on`, the
// twin runs wherever the game makes its program current, and uniform
// locations are the twin's.
struct FloorPrograms {
    std::map<GLuint, GLuint> twin;
    bool on = false;
    GLuint use(GLuint program) const {
        const auto found = twin.find(program);
        return on && found != twin.end() ? found->second : program;
    }
};
FloorPrograms floorPrograms;
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;

PFNGLUSEPROGRAMPROC realUseProgram = nullptr;
PFNGLGENBUFFERSPROC realGenBuffers = nullptr;
PFNGLGENVERTEXARRAYSPROC realGenVertexArrays = nullptr;
PFNGLGENFRAMEBUFFERSPROC realGenFramebuffers = nullptr;
PFNGLGENRENDERBUFFERSPROC realGenRenderbuffers = nullptr;
PFNGLCREATEPROGRAMPROC realCreateProgram = nullptr;
PFNGLCREATESHADERPROC realCreateShader = nullptr;

void countObjects(GLsizei n) {
    if (clock_.inFrame) {
        clock_.glObjectsInFrames += n;
    }
}

void GLAPIENTRY hookUseProgram(GLuint program) {
    passTimer.begin(program);
    realUseProgram(floorPrograms.use(program));
}
GLint GLAPIENTRY hookGetUniformLocation(GLuint program, const GLchar* name) {
    return realGetUniformLocation(floorPrograms.use(program), name);
}
void GLAPIENTRY hookGenBuffers(GLsizei n, GLuint* names) {
    countObjects(n);
    realGenBuffers(n, names);
}
void GLAPIENTRY hookGenVertexArrays(GLsizei n, GLuint* names) {
    countObjects(n);
    realGenVertexArrays(n, names);
}
void GLAPIENTRY hookGenFramebuffers(GLsizei n, GLuint* names) {
    countObjects(n);
    realGenFramebuffers(n, names);
}
void GLAPIENTRY hookGenRenderbuffers(GLsizei n, GLuint* names) {
    countObjects(n);
    realGenRenderbuffers(n, names);
}
GLuint GLAPIENTRY hookCreateProgram() {
    countObjects(1);
    return realCreateProgram();
}
GLuint GLAPIENTRY hookCreateShader(GLenum type) {
    countObjects(1);
    return realCreateShader(type);
}

// GLEW calls go through these pointers, so swapping them reaches every call
// the game makes.
void installGlHooks() {
    realUseProgram = __glewUseProgram;
    __glewUseProgram = hookUseProgram;
    realGetUniformLocation = __glewGetUniformLocation;
    __glewGetUniformLocation = hookGetUniformLocation;
    realGenBuffers = __glewGenBuffers;
    __glewGenBuffers = hookGenBuffers;
    realGenVertexArrays = __glewGenVertexArrays;
    __glewGenVertexArrays = hookGenVertexArrays;
    realGenFramebuffers = __glewGenFramebuffers;
    __glewGenFramebuffers = hookGenFramebuffers;
    realGenRenderbuffers = __glewGenRenderbuffers;
    __glewGenRenderbuffers = hookGenRenderbuffers;
    realCreateProgram = __glewCreateProgram;
    __glewCreateProgram = hookCreateProgram;
    realCreateShader = __glewCreateShader;
    __glewCreateShader = hookCreateShader;
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A fragment shader with the outputs of `source`, each written a constant.
std::string trivialFragmentShader(const std::string& source) {
    static const std::regex output(
        R"(\s*(layout\s*\(\s*location\s*=\s*\d+\s*\)\s*)?out\s+(\w+)\s+(\w+)\s*;.*)");
    std::string declarations;
    std::string body;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
        std::smatch declared;
        if (std::regex_match(line, declared, output)) {
            declarations += line + "\n";
            body += "    " + declared[3].str() + " = " + declared[2].str() + "(0.5);\n";
        }
    }
    return "#version 330 core\n" + declarations + "void main()\n{\n" + body + "}\n";
}

GLuint compileTwin(const std::string& vertexSource, const std::string& fragmentSource) {
    const auto stage = [](GLenum type, const std::string& text) {
        const GLuint shader = glCreateShader(type);
        const char* code = text.c_str();
        glShaderSource(shader, 1, &code, nullptr);
        glCompileShader(shader);
        return shader;
    };
    const GLuint vertex = stage(GL_VERTEX_SHADER, vertexSource);
    const GLuint fragment = stage(GL_FRAGMENT_SHADER, fragmentSource);
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        char log[1024] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "%s\n%s\n", log, fragmentSource.c_str());
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

// Gives the twin every uniform value its original holds now (those the game
// sets once, such as the text projection, included).
void copyUniforms(GLuint original, GLuint twin) {
    GLint count = 0;
    glGetProgramiv(twin, GL_ACTIVE_UNIFORMS, &count);
    realUseProgram(twin);
    for (GLint i = 0; i < count; ++i) {
        char name[256];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(twin, GLuint(i), sizeof name, nullptr, &size, &type, name);
        const GLint from = realGetUniformLocation(original, name);
        const GLint to = realGetUniformLocation(twin, name);
        if (from < 0 || to < 0 || size != 1) {
            continue;
        }
        float f[16] = {};
        GLint n[4] = {};
        switch (type) {
        case GL_FLOAT_MAT4:
            glGetUniformfv(original, from, f);
            glUniformMatrix4fv(to, 1, GL_FALSE, f);
            break;
        case GL_FLOAT_VEC4:
            glGetUniformfv(original, from, f);
            glUniform4fv(to, 1, f);
            break;
        case GL_FLOAT_VEC3:
            glGetUniformfv(original, from, f);
            glUniform3fv(to, 1, f);
            break;
        case GL_FLOAT:
            glGetUniformfv(original, from, f);
            glUniform1f(to, f[0]);
            break;
        case GL_INT:
            glGetUniformiv(original, from, n);
            glUniform1i(to, n[0]);
            break;
        default:
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// Statistics and output.

double millis(std::int64_t nanos) {
    return double(nanos) / 1e6;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const double rank = p * double(values.size() - 1);
    const auto low = std::size_t(rank);
    const std::size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (rank - double(low));
}

double median(const std::vector<double>& values) {
    return percentile(values, 0.5);
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

double loadAverage() {
    double load[1] = {0.0};
    return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

struct Options {
    int frames = 120;
    int warmup = 10;
    int startupRuns = 5;
    std::string json = "pizzeria-bench.json";
    std::string runDir = PIZZERIA_RUN_DIR;
    std::vector<std::string> configs;
    bool startupChild = false;
    bool floor = false;
    std::string abOther; // the other build folder of an A/B run
    int abRounds = 3;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            options.frames = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--warmup" && hasValue) {
            options.warmup = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--startup-runs" && hasValue) {
            options.startupRuns = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--json" && hasValue) {
            options.json = argv[++i];
        } else if (arg == "--run-dir" && hasValue) {
            options.runDir = argv[++i];
        } else if (arg == "--configs" && hasValue) {
            std::stringstream list(argv[++i]);
            for (std::string name; std::getline(list, name, ',');) {
                options.configs.push_back(name);
            }
        } else if (arg == "--startup-child") {
            options.startupChild = true;
        } else if (arg == "--floor") {
            options.floor = true;
        } else if (arg == "--ab" && hasValue) {
            options.abOther = argv[++i];
        } else if (arg == "--rounds" && hasValue) {
            options.abRounds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--frames N] [--warmup N] [--startup-runs N] [--json FILE] "
                         "[--run-dir DIR] [--configs a,b,...] [--floor] [--ab OTHER_BUILD_DIR "
                         "[--rounds N]]\n",
                         argv[0]);
            std::exit(2);
        }
    }
    return options;
}

// ---------------------------------------------------------------------------
// Start-up: each run is a fresh process, timed from just before it is spawned
// to the return of its first buffer swap.

const char* const stageNames[] = {"process and libraries",
                                  "window and context",
                                  "shader programs",
                                  "render targets",
                                  "models",
                                  "textures",
                                  "terrain",
                                  "font",
                                  "sound",
                                  "other construction",
                                  "first frame"};
constexpr std::size_t stageCount = std::size(stageNames);

struct StartupRun {
    std::array<double, stageCount> stages{}; // ms
    double total = 0.0;                      // ms, spawn to first swap
    double peakMiB = 0.0;
};

[[noreturn]] void startupChild(const Options& options) {
    const std::int64_t entered = wallNanos();
    pizzeria::bench::enterRunFolder(options.runDir);
    const std::int64_t constructing = wallNanos();
    pizzeria::app::Game& game = pizzeria::bench::startGame();
    const std::int64_t constructed = wallNanos();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.update(pizzeria::bench::frameDt);
    game.render();
    glfwPollEvents();
    glfwSwapBuffers(game.window);
    const std::int64_t swapped = wallNanos();

    const StartupClock& c = clock_;
    const std::int64_t window = c.windowReady - constructing;
    const std::int64_t targets = c.renderer - c.rendererShaders;
    const std::int64_t models = c.models - c.modelTextures;
    const std::int64_t terrain = c.terrain - c.terrainTextures;
    const std::int64_t other = (constructed - constructing) - window - c.renderer - models -
                               c.textures - terrain - c.font - c.sound;
    std::printf("STARTUP %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld\n",
                static_cast<long long>(entered), static_cast<long long>(window),
                static_cast<long long>(c.shaders), static_cast<long long>(targets),
                static_cast<long long>(models), static_cast<long long>(c.textures),
                static_cast<long long>(terrain), static_cast<long long>(c.font),
                static_cast<long long>(c.sound), static_cast<long long>(other),
                static_cast<long long>(swapped - constructed), static_cast<long long>(swapped),
                static_cast<long long>(pizzeria::bench::peakResidentBytes()));
    std::fflush(stdout);
    std::_Exit(0); // the start-up is measured; tearing down is not
}

// `exe` is a bench (this one or another build's), `runDir` that build's run folder.
bool runStartup(const std::string& exe, const std::string& runDirectory, StartupRun& run) {
    int channel[2];
    if (pipe(channel) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, channel[0]);
    std::string self = exe;
    char flag[] = "--startup-child";
    char runDirFlag[] = "--run-dir";
    std::string runDir = runDirectory;
    char* argv[] = {self.data(), flag, runDirFlag, runDir.data(), nullptr};
    pid_t child = 0;
    const std::int64_t spawned = wallNanos();
    const int failed = posix_spawn(&child, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    if (failed != 0) {
        close(channel[0]);
        return false;
    }
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, std::size_t(n));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);

    const auto line = output.find("STARTUP ");
    if (line == std::string::npos) {
        return false;
    }
    std::istringstream fields(output.substr(line + 8));
    long long entered = 0;
    std::array<long long, stageCount - 1> stages{};
    long long swapped = 0;
    long long peak = 0;
    fields >> entered;
    for (long long& stage : stages) {
        fields >> stage;
    }
    fields >> swapped >> peak;
    if (!fields) {
        return false;
    }
    run.stages[0] = millis(entered - spawned);
    for (std::size_t i = 0; i < stages.size(); ++i) {
        run.stages[i + 1] = millis(stages[i]);
    }
    run.total = millis(swapped - spawned);
    run.peakMiB = double(peak) / 1048576.0;
    return true;
}

// ---------------------------------------------------------------------------
// Frames.

const char* const passNames[] = {"default", "viewSpaceShader", "lighting", "shadowmap", "SSAOGeo",
                                 "SSAO",    "SSAOBlur",        "miniMap",  "renderFBO", "text"};

struct ConfigResult {
    std::string name;
    std::vector<double> frameMs;
    std::vector<double> updateUs; // CPU time of Game::update
    std::vector<double> renderMs; // CPU time of Game::render
    std::vector<double> gpuMs;    // sum of the timed segments
    std::vector<double> outsideShare;
    std::vector<double> updateAllocations;
    std::map<std::string, std::vector<double>> passMs;
    std::map<std::string, std::vector<double>> floorPassMs; // --floor: the trivial twins
    std::int64_t glObjects = 0;
    double load = 0.0;
};

ConfigResult runConfiguration(pizzeria::app::Game& game,
                              const pizzeria::bench::Configuration& configuration,
                              const std::map<GLuint, std::string>& programNames,
                              const Options& options, int& frame) {
    namespace b = pizzeria::bench;
    ConfigResult result;
    result.name = configuration.name;
    b::apply(configuration);
    const std::int64_t objectsBefore = clock_.glObjectsInFrames;
    // With --floor every other frame runs the trivial twins, so both see the
    // same load.
    const int perFrame = options.floor ? 2 : 1;
    for (int i = 0; i < (options.warmup + options.frames) * perFrame; ++i, ++frame) {
        const bool record = i >= options.warmup * perFrame;
        const bool floorFrame = options.floor && i % 2 == 1;
        floorPrograms.on = floorFrame;
        b::keepPlaying(game);
        b::refill(game);

        clock_.inFrame = record;
        passTimer.count = 0;
        passTimer.recording = record;
        const std::int64_t wall0 = wallNanos();
        passTimer.begin(frameStartLabel);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const std::int64_t allocations0 = b::allocationCount.load();
        const std::int64_t cpu0 = cpuNanos();
        game.update(b::frameDt);
        const std::int64_t cpu1 = cpuNanos();
        const std::int64_t allocations1 = b::allocationCount.load();
        game.render();
        const std::int64_t cpu2 = cpuNanos();
        passTimer.end();
        glfwPollEvents();
        b::scriptedInput(game, frame); // where the event poll delivers input
        glfwSwapBuffers(game.window);
        if (glGetError() != GL_NO_ERROR) {
            std::fprintf(stderr, "GL error in frame %d (%s)\n", frame, configuration.name);
        }
        const std::int64_t wall1 = wallNanos();
        clock_.inFrame = false;
        floorPrograms.on = false;
        if (!record) {
            continue;
        }
        double gpu = 0.0;
        std::map<std::string, double> passes;
        for (int s = 0; s < passTimer.count; ++s) {
            GLuint64 nanos = 0;
            glGetQueryObjectui64v(passTimer.queries[std::size_t(s)], GL_QUERY_RESULT, &nanos);
            const GLuint program = passTimer.programs[std::size_t(s)];
            const auto named = programNames.find(program);
            const std::string label = program == frameStartLabel ? std::string("clear")
                                      : named != programNames.end()
                                          ? named->second
                                          : "program " + std::to_string(program);
            passes[label] += double(nanos) / 1e6;
            gpu += double(nanos) / 1e6;
        }
        if (floorFrame) {
            for (const auto& [label, ms] : passes) {
                result.floorPassMs[label].push_back(ms);
            }
            continue;
        }
        for (const auto& [label, ms] : passes) {
            result.passMs[label].push_back(ms);
        }
        const double frameMs = millis(wall1 - wall0);
        result.frameMs.push_back(frameMs);
        result.updateUs.push_back(double(cpu1 - cpu0) / 1e3);
        result.renderMs.push_back(millis(cpu2 - cpu1));
        result.gpuMs.push_back(gpu);
        result.outsideShare.push_back(frameMs > 0.0 ? std::max(0.0, 1.0 - gpu / frameMs) : 0.0);
        result.updateAllocations.push_back(double(allocations1 - allocations0));
    }
    result.glObjects = clock_.glObjectsInFrames - objectsBefore;
    result.load = loadAverage();
    return result;
}

std::string jsonString(const std::string& text) {
    return "\"" + text + "\"";
}

// ---------------------------------------------------------------------------
// A/B: this build and another, alternately, each with its own bench.

struct BuildRuns {
    std::string exe;
    std::string runDir;
    std::vector<StartupRun> startups;
    // config -> "frame" or a pass -> one median per round
    std::map<std::string, std::map<std::string, std::vector<double>>> frames;
};

bool runQuietly(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return failed == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// One round of frames of `build`'s bench, read back from its JSON.
bool runFrames(const Options& options, BuildRuns& build, const std::string& json) {
    std::vector<std::string> args{build.exe,
                                  "--startup-runs",
                                  "0",
                                  "--frames",
                                  std::to_string(options.frames),
                                  "--warmup",
                                  std::to_string(options.warmup),
                                  "--json",
                                  json,
                                  "--run-dir",
                                  build.runDir};
    if (!options.configs.empty()) {
        std::string list;
        for (const std::string& name : options.configs) {
            list += (list.empty() ? "" : ",") + name;
        }
        args.insert(args.end(), {"--configs", list});
    }
    if (!runQuietly(args)) {
        return false;
    }
    static const std::regex name(R"re("name": "([^"]+)")re");
    static const std::regex frame(R"re("frameMs": \{"median": ([0-9.]+))re");
    static const std::regex passes(R"re("passGpuMs": \{([^}]*)\})re");
    static const std::regex pass(R"re("([^"]+)": ([0-9.]+))re");
    std::istringstream lines(readText(json));
    for (std::string line; std::getline(lines, line);) {
        std::smatch n, f, p;
        if (!std::regex_search(line, n, name) || !std::regex_search(line, f, frame) ||
            !std::regex_search(line, p, passes)) {
            continue;
        }
        auto& config = build.frames[n[1].str()];
        config["frame"].push_back(std::stod(f[1].str()));
        const std::string list = p[1].str();
        for (auto it = std::sregex_iterator(list.begin(), list.end(), pass);
             it != std::sregex_iterator(); ++it) {
            config[(*it)[1].str()].push_back(std::stod((*it)[2].str()));
        }
    }
    return true;
}

void printAb(const char* what, double mine, double other) {
    std::printf("  %-24s %9.1f %9.1f %7.2f\n", what, mine, other, other > 0.0 ? mine / other : 0.0);
}

int runAb(const Options& options) {
    BuildRuns mine{"/proc/self/exe", options.runDir, {}, {}};
    BuildRuns other{options.abOther + "/bench/pizzeria_bench", options.abOther + "/run", {}, {}};
    const double loadBefore = loadAverage();
    // Alternating which goes first, so neither always meets the same moment.
    for (int i = 0; i < options.startupRuns; ++i) {
        for (BuildRuns* build :
             i % 2 == 0 ? std::array{&mine, &other} : std::array{&other, &mine}) {
            StartupRun run;
            if (!runStartup(build->exe, build->runDir, run)) {
                std::fprintf(stderr, "start-up run of %s failed\n", build->exe.c_str());
                return 1;
            }
            build->startups.push_back(run);
        }
    }
    const double loadStartup = loadAverage();
    const int rounds = std::max(1, options.abRounds);
    for (int i = 0; i < rounds; ++i) {
        for (BuildRuns* build :
             i % 2 == 0 ? std::array{&mine, &other} : std::array{&other, &mine}) {
            if (!runFrames(options, *build, options.json + ".round.json")) {
                std::fprintf(stderr, "frames of %s failed\n", build->exe.c_str());
                return 1;
            }
        }
    }
    const double loadEnd = loadAverage();

    std::printf("A/B: this build against %s, interleaved; load %.2f at the start, %.2f after "
                "start-up, %.2f at the end\n",
                options.abOther.c_str(), loadBefore, loadStartup, loadEnd);
    if (options.startupRuns > 0) {
        std::printf("\nStart-up to the first swapped frame, median of %d runs each (ms)\n"
                    "  %-24s %9s %9s %7s\n",
                    options.startupRuns, "", "this", "other", "ratio");
        const auto stage = [](const BuildRuns& build, std::size_t s) {
            std::vector<double> values;
            for (const StartupRun& run : build.startups) {
                values.push_back(s < stageCount ? run.stages[s] : run.total);
            }
            return median(values);
        };
        for (std::size_t s = 0; s <= stageCount; ++s) {
            printAb(s < stageCount ? stageNames[s] : "total", stage(mine, s), stage(other, s));
        }
    }
    std::printf("\nFrames: median over %d rounds of each round's median (ms)\n  %-24s %9s %9s "
                "%7s\n",
                rounds, "config / pass", "this", "other", "ratio");
    for (const auto& [config, series] : other.frames) {
        const auto found = mine.frames.find(config);
        if (found == mine.frames.end()) {
            continue;
        }
        for (const auto& [label, values] : series) {
            const auto ours = found->second.find(label);
            if (ours == found->second.end() || (label != "frame" && median(values) < 0.5)) {
                continue;
            }
            std::string what = config;
            if (label != "frame") {
                what += " / ";
                what += label;
            }
            printAb(what.c_str(), median(ours->second), median(values));
        }
    }
    return 0;
}

} // namespace

namespace {

int run(int argc, char** argv) {
    const Options options = parse(argc, argv);
    if (options.startupChild) {
        startupChild(options);
    }
    namespace b = pizzeria::bench;

    // An X server without -noreset restarts when its last client leaves, and
    // a connection opened meanwhile fails: hold one for the whole run.
    if (glfwInit() == GLFW_FALSE) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    if (!options.abOther.empty()) {
        return runAb(options);
    }

    // Start-up, median of fresh processes.
    std::vector<StartupRun> runs;
    for (int i = 0; i < options.startupRuns; ++i) {
        StartupRun run;
        if (!runStartup("/proc/self/exe", options.runDir, run)) {
            std::fprintf(stderr, "start-up run %d failed\n", i + 1);
            return 1;
        }
        runs.push_back(run);
    }
    const double startupLoad = loadAverage();

    // Frames, all configurations in one game.
    b::enterRunFolder(options.runDir);
    pizzeria::app::Game& game = b::startGame();
    installGlHooks();
    std::map<GLuint, std::string> programNames;
    for (const char* name : passNames) {
        programNames[game.renderer->useShader(name)->program] = name;
    }
    if (options.floor) {
        for (const auto& [program, name] : programNames) {
            const GLuint twin =
                compileTwin(readText("Shader/" + name + ".vert"),
                            trivialFragmentShader(readText("Shader/" + name + ".frag")));
            if (twin == 0) {
                std::fprintf(stderr, "no floor program for %s\n", name.c_str());
                std::_Exit(1);
            }
            copyUniforms(program, twin);
            floorPrograms.twin[program] = twin;
        }
    }
    // Naming the programs ran their pass set-ups; leave the state a frame expects.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, game.width, game.height);
    glDisable(GL_BLEND);
    glGenQueries(maxSegments, passTimer.queries.data());
    b::populate(game);

    std::vector<ConfigResult> results;
    int frame = 0;
    for (const b::Configuration& configuration : b::configurations) {
        if (!options.configs.empty() && std::find(options.configs.begin(), options.configs.end(),
                                                  configuration.name) == options.configs.end()) {
            continue;
        }
        results.push_back(runConfiguration(game, configuration, programNames, options, frame));
    }
    const double peakMiB = double(b::peakResidentBytes()) / 1048576.0;
    const int liveIngredients = int(game.ingredients->live.size());
    const int liveEnemies = int(game.enemies->live.size());

    // Table.
    std::printf("Pizzeria benchmark: %d x %d, %s, %d frames per configuration after %d warm-up\n",
                game.width, game.height, reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                options.frames, options.warmup);
    if (!runs.empty()) {
        std::printf("\nStart-up to the first swapped frame (median of %zu runs, load %.2f)\n",
                    runs.size(), startupLoad);
        for (std::size_t s = 0; s < stageCount; ++s) {
            std::vector<double> values;
            values.reserve(runs.size());
            for (const StartupRun& run : runs) {
                values.push_back(run.stages[s]);
            }
            std::printf("  %-24s %8.1f ms\n", stageNames[s], median(values));
        }
        std::vector<double> totals;
        totals.reserve(runs.size());
        for (const StartupRun& run : runs) {
            totals.push_back(run.total);
        }
        std::printf("  %-24s %8.1f ms (min %.1f, max %.1f)\n", "total", median(totals),
                    percentile(totals, 0.0), maximum(totals));
    }
    std::printf("\n%-12s %8s %8s %8s %9s %9s %8s %8s %7s %6s %5s\n", "config", "median", "p95",
                "max", "update", "render", "GPU", "outside", "allocs", "GLobj", "load");
    std::printf("%-12s %8s %8s %8s %9s %9s %8s %8s %7s %6s %5s\n", "", "ms", "ms", "ms", "CPU us",
                "CPU ms", "ms", "passes", "update", "frame", "");
    for (const ConfigResult& r : results) {
        std::printf("%-12s %8.1f %8.1f %8.1f %9.1f %9.2f %8.1f %7.1f%% %7.0f %6lld %5.2f\n",
                    r.name.c_str(), median(r.frameMs), percentile(r.frameMs, 0.95),
                    maximum(r.frameMs), median(r.updateUs), median(r.renderMs), median(r.gpuMs),
                    100.0 * median(r.outsideShare), median(r.updateAllocations),
                    static_cast<long long>(r.glObjects), r.load);
    }
    std::printf("\nGPU time per pass, median ms (timer queries from each program switch to the "
                "next)\n%-12s",
                "config");
    const std::vector<std::string> labels{"clear",           "shadowmap", "miniMap",  "default",
                                          "lighting",        "SSAOGeo",   "SSAO",     "SSAOBlur",
                                          "viewSpaceShader", "text",      "renderFBO"};
    for (const std::string& label : labels) {
        std::printf(" %9.9s", label.c_str());
    }
    std::printf("\n");
    for (const ConfigResult& r : results) {
        std::printf("%-12s", r.name.c_str());
        for (const std::string& label : labels) {
            const auto found = r.passMs.find(label);
            if (found == r.passMs.end()) {
                std::printf(" %9s", "-");
            } else {
                std::printf(" %9.2f", median(found->second));
            }
        }
        std::printf("\n");
    }
    if (options.floor) {
        std::printf("\nEach pass over its floor (the same draws, targets and state with a "
                    "fragment shader that writes constants): pass ms / floor ms\n%-12s",
                    "config");
        for (const std::string& label : labels) {
            if (label != "clear") {
                std::printf(" %9.9s", label.c_str());
            }
        }
        std::printf("\n");
        for (const ConfigResult& r : results) {
            std::printf("%-12s", r.name.c_str());
            for (const std::string& label : labels) {
                if (label == "clear") {
                    continue;
                }
                const auto pass = r.passMs.find(label);
                const auto floor = r.floorPassMs.find(label);
                if (pass == r.passMs.end() || floor == r.floorPassMs.end() ||
                    median(floor->second) <= 0.0) {
                    std::printf(" %9s", "-");
                } else {
                    std::printf(" %8.1fx", median(pass->second) / median(floor->second));
                }
            }
            std::printf("\n");
        }
        std::printf("%-12s", "floor ms");
        for (const std::string& label : labels) {
            if (label == "clear") {
                continue;
            }
            std::vector<double> all;
            for (const ConfigResult& r : results) {
                const auto floor = r.floorPassMs.find(label);
                if (floor != r.floorPassMs.end()) {
                    all.push_back(median(floor->second));
                }
            }
            if (all.empty()) {
                std::printf(" %9s", "-");
            } else {
                std::printf(" %9.2f", median(all));
            }
        }
        std::printf("\n");
    }
    std::printf("\nPeak resident memory: %.1f MiB (start-up alone: %.1f MiB); population at the "
                "end: %d ingredients, %d enemies\n",
                peakMiB, runs.empty() ? 0.0 : runs.front().peakMiB, liveIngredients, liveEnemies);

    // JSON.
    if (FILE* out = std::fopen(options.json.c_str(), "w")) {
        std::fprintf(out, "{\n  \"renderer\": %s,\n  \"width\": %d,\n  \"height\": %d,\n",
                     jsonString(reinterpret_cast<const char*>(glGetString(GL_RENDERER))).c_str(),
                     game.width, game.height);
        std::fprintf(out, "  \"frames\": %d,\n  \"warmup\": %d,\n  \"peakResidentMiB\": %.1f,\n",
                     options.frames, options.warmup, peakMiB);
        std::fprintf(out, "  \"startup\": {\"runs\": %zu, \"load\": %.2f", runs.size(),
                     startupLoad);
        if (!runs.empty()) {
            std::vector<double> totals;
            totals.reserve(runs.size());
            for (const StartupRun& run : runs) {
                totals.push_back(run.total);
            }
            std::fprintf(out, ", \"medianMs\": %.2f, \"stagesMs\": {", median(totals));
            for (std::size_t s = 0; s < stageCount; ++s) {
                std::vector<double> values;
                values.reserve(runs.size());
                for (const StartupRun& run : runs) {
                    values.push_back(run.stages[s]);
                }
                std::fprintf(out, "%s%s: %.2f", s == 0 ? "" : ", ",
                             jsonString(stageNames[s]).c_str(), median(values));
            }
            std::fprintf(out, "}");
        }
        std::fprintf(out, "},\n  \"configurations\": [\n");
        for (std::size_t i = 0; i < results.size(); ++i) {
            const ConfigResult& r = results[i];
            std::fprintf(out,
                         "    {\"name\": %s, \"load\": %.2f, \"frameMs\": {\"median\": %.3f, "
                         "\"p95\": %.3f, \"max\": %.3f}, \"updateCpuUs\": %.2f, "
                         "\"renderCpuMs\": %.3f, \"gpuMs\": %.3f, \"outsidePassesShare\": %.4f, "
                         "\"updateAllocations\": %.0f, \"glObjectsCreated\": %lld, "
                         "\"passGpuMs\": {",
                         jsonString(r.name).c_str(), r.load, median(r.frameMs),
                         percentile(r.frameMs, 0.95), maximum(r.frameMs), median(r.updateUs),
                         median(r.renderMs), median(r.gpuMs), median(r.outsideShare),
                         median(r.updateAllocations), static_cast<long long>(r.glObjects));
            bool first = true;
            for (const auto& [label, values] : r.passMs) {
                std::fprintf(out, "%s%s: %.3f", first ? "" : ", ", jsonString(label).c_str(),
                             median(values));
                first = false;
            }
            std::fprintf(out, "}}%s\n", i + 1 < results.size() ? "," : "");
        }
        std::fprintf(out, "  ]\n}\n");
        std::fclose(out);
        std::printf("JSON written to %s\n", options.json.c_str());
    } else {
        std::fprintf(stderr, "could not write %s\n", options.json.c_str());
    }
    std::fflush(stdout);
    // Skip the teardown: the process-wide holders end in a fixed order in main
    // of the game, which this tool does not need to reproduce.
    std::_Exit(0);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pizzeria_bench: %s\n", error.what());
        return 1;
    }
}
