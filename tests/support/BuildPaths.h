#pragma once

namespace testsupport {

// Where this build keeps the game. The paths are compiled into one generated
// source, so every other test file compiles the same in any clone of the
// project and the compiler cache can reuse it.
const char* runDir();
const char* gameExe();
const char* e2eFailuresDir();

} // namespace testsupport
