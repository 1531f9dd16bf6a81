#include "tests/support/Process.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::filesystem::path uniqueName(const std::filesystem::path& folder, const std::string& stem) {
    static std::mt19937_64 random{std::random_device{}()};
    return folder / (stem + "-" + std::to_string(random()));
}

constexpr const char* rootVariable = "PIZZERIA_TEST_TMP";

void removeRoot();

// One folder per test process, removed at exit. A death test's child ends
// through _Exit and never cleans up, so it makes its folders inside its
// parent's (found through the environment it inherits), and the parent's
// exit takes them too.
const std::filesystem::path& processRoot() {
    // Never destroyed: the exit handler below still needs it, and it is
    // registered before a static's own destructor would be.
    static const auto* const root = [] {
        if (const char* inherited = std::getenv(rootVariable)) {
            return new std::filesystem::path(inherited);
        }
        const std::filesystem::path dir =
            uniqueName(std::filesystem::temp_directory_path(), "pizzeria-test");
        std::filesystem::create_directories(dir);
        setenv(rootVariable, dir.c_str(), 1);
        std::atexit(removeRoot);
        return new std::filesystem::path(dir);
    }();
    return *root;
}

void removeRoot() {
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    std::filesystem::remove_all(processRoot(), ignored);
}

// In the child, between fork and exec: `stream` (1 or 2) as asked. Streams
// to close are closed after the others are connected, so no open takes
// their numbers.
void connect(int stream, Stream how, const std::filesystem::path& file, int pipeWrite) {
    if (how == Stream::Pipe) {
        dup2(pipeWrite, stream);
    } else if (how == Stream::File) {
        const int opened = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(opened, stream);
        close(opened);
    }
}

} // namespace

TempDir::TempDir() : dir(uniqueName(processRoot(), "dir")) {
    std::filesystem::create_directories(dir);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        result.push_back(line);
    }
    return result;
}

std::size_t waitForLine(ChildProcess& child, const std::string& line, std::size_t seen,
                        std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (bool running = true; running && std::chrono::steady_clock::now() < deadline;) {
        running = child.running(); // a last look at what an ended child wrote
        const auto out = lines(child.outSoFar());
        const auto found =
            std::find(out.begin() + std::ptrdiff_t(std::min(seen, out.size())), out.end(), line);
        if (found != out.end()) {
            return std::size_t(found - out.begin()) + 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

std::string ChildProcess::outSoFar() const {
    return readFile(outPath);
}

ChildProcess::ChildProcess(std::vector<std::string> argv, const std::filesystem::path& workingDir,
                           const ChildOptions& options)
    : outPath(uniqueName(processRoot(), "out")), errPath(uniqueName(processRoot(), "err")) {
    // Both files exist even for a closed stream, so reading them back works.
    std::ofstream(outPath).close();
    std::ofstream(errPath).close();
    int ends[2] = {-1, -1};
    if (options.out == Stream::Pipe && pipe(ends) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, 0);
        close(nothing);
        connect(1, options.out, outPath, ends[1]);
        connect(2, options.err, errPath, ends[1]);
        if (ends[0] >= 0) {
            close(ends[0]);
            close(ends[1]);
        }
        for (const auto& [stream, how] : {std::pair{1, options.out}, std::pair{2, options.err}}) {
            if (how == Stream::Closed) {
                close(stream);
            }
        }
        for (const auto& [name, value] : options.set) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        for (const std::string& name : options.unset) {
            unsetenv(name.c_str());
        }
        if (chdir(workingDir.c_str()) != 0) {
            _exit(126);
        }
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (std::string& arg : argv) {
            args.push_back(arg.data());
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    pid = child;
    if (ends[0] >= 0) {
        close(ends[1]);
        pipeEnd = ends[0];
    }
}

ChildProcess::~ChildProcess() {
    if (pid > 0 && running()) {
        kill(pid_t(pid), SIGKILL);
        waitpid(pid_t(pid), nullptr, 0);
    }
    if (pipeEnd >= 0) {
        close(pipeEnd);
    }
    std::error_code ignored;
    std::filesystem::remove(outPath, ignored);
    std::filesystem::remove(errPath, ignored);
}

std::string ChildProcess::headLine(std::chrono::milliseconds limit) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pipeEnd >= 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{pipeEnd, POLLIN, 0};
        if (poll(&ready, 1, 50) <= 0) {
            continue;
        }
        char c = 0;
        if (read(pipeEnd, &c, 1) != 1 || c == '\n') {
            break;
        }
        line += c;
    }
    if (pipeEnd >= 0) {
        close(pipeEnd);
        pipeEnd = -1;
    }
    return line;
}

bool ChildProcess::running() {
    return pid > 0 && waitpid(pid_t(pid), nullptr, WNOHANG) == 0;
}

void ChildProcess::sendSignal(int signal) {
    if (pid > 0) {
        kill(pid_t(pid), signal);
    }
}

ProcessResult ChildProcess::wait(std::chrono::milliseconds limit) {
    ProcessResult result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid_t(pid), &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            kill(pid_t(pid), SIGKILL);
            waitpid(pid_t(pid), &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid = -1;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signaled = !result.timedOut;
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDir, std::chrono::milliseconds limit) {
    ChildProcess child(argv, workingDir);
    return child.wait(limit);
}

} // namespace testsupport
