#include "tests/support/PrivateDisplay.h"

#include <cstdlib>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

int xdotool(const std::string& display, const std::string& arguments) {
    return std::system(
        ("DISPLAY=" + display + " xdotool " + arguments + " >/dev/null 2>&1").c_str());
}

PrivateDisplay::PrivateDisplay() {
    int ends[2] = {-1, -1};
    if (pipe(ends) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        close(quiet);
        const std::string fd = std::to_string(ends[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1000x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    pid = child;
    // The number arrives, ended by a newline, once the server accepts clients.
    std::string number;
    pollfd ready{ends[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 30000) > 0 && read(ends[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(ends[0]);
    if (!number.empty()) {
        displayName = ":" + number;
    }
}

PrivateDisplay::~PrivateDisplay() {
    if (pid > 0) {
        ::kill(pid_t(pid), SIGTERM);
        waitpid(pid_t(pid), nullptr, 0);
    }
}

void PrivateDisplay::kill() {
    if (pid > 0) {
        ::kill(pid_t(pid), SIGKILL);
        waitpid(pid_t(pid), nullptr, 0);
        pid = -1;
    }
}

} // namespace testsupport
