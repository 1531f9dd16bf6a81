#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;     // the low 8 bits the parent sees, as a shell reports them
    bool signaled = false; // ended by a signal (a crash): never acceptable
    bool timedOut = false; // killed after the time limit
    std::string out;
    std::string err;
};

// How a child's standard output or error is connected.
enum class Stream {
    File,   // captured, handed back in ProcessResult
    Closed, // the child starts without it, as after `>&-`
    Pipe,   // standard output only: a pipe this side reads (headLine)
};

struct ChildOptions {
    Stream out = Stream::File;
    Stream err = Stream::File;
    // Set for the child (an empty value stays set, and empty).
    std::vector<std::pair<std::string, std::string>> set;
    // Removed from the child's environment.
    std::vector<std::string> unset;
};

// A child process with its standard streams captured to files and standard
// input on the null device, as CI and launchers run the game.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> argv, const std::filesystem::path& workingDir,
                 const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits up to `limit`, killing the child when it runs longer.
    ProcessResult wait(std::chrono::milliseconds limit);

    bool running();

    // Sends `signal`.
    void sendSignal(int signal);

    // Standard output written so far, while the child still runs.
    std::string outSoFar() const;

    // With Stream::Pipe: reads up to the first end of line (or for `limit`),
    // then closes this end of the pipe, as `| head -1` does. The line read.
    std::string headLine(std::chrono::milliseconds limit);

    long long processId() const { return pid; }

private:
    std::filesystem::path outPath;
    std::filesystem::path errPath;
    long long pid = -1;
    int pipeEnd = -1; // this side of a Stream::Pipe
};

// Runs `argv` to the end (or the limit) in `workingDir`.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDir,
                         std::chrono::milliseconds limit = std::chrono::seconds(30));

// A fresh empty folder under the system's temporary folder, removed with it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return dir; }

private:
    std::filesystem::path dir;
};

// The lines of `text`, without their end-of-line characters.
std::vector<std::string> lines(const std::string& text);

// Waits until `child`'s standard output holds `line` as a whole line after its
// first `seen` lines; the lines seen then, or 0 when it never came.
std::size_t waitForLine(ChildProcess& child, const std::string& line, std::size_t seen,
                        std::chrono::milliseconds limit);

} // namespace testsupport
