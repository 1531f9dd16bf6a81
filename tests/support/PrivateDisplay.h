#pragma once

#include <string>

namespace testsupport {

// An Xvfb server of one test's own: its windows, keyboard focus and input are
// the only ones there, and it can be killed under a running game. Xvfb picks
// a free display number itself (-displayfd), so parallel tests never meet.
class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return !displayName.empty(); }
    // ":N", for DISPLAY.
    const std::string& name() const { return displayName; }

    // Ends the server at once, as a crash or `kill -9` would.
    void kill();

private:
    long long pid = -1;
    std::string displayName;
};

// Runs xdotool with `arguments` on `display`; its exit status.
int xdotool(const std::string& display, const std::string& arguments);

} // namespace testsupport
