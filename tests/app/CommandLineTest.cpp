// The command line as a user meets it: the built game started in a folder of
// its own, with its exit code and the exact line it writes.
#include "tests/support/BuildPaths.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::lines;
using testsupport::runProcess;
using testsupport::TempDir;

namespace {

struct CommandLineCase {
    std::vector<std::string> arguments;
    std::string expectedError;
};

// Run in an empty folder, a command line that parses gets as far as the
// first data file, the heightmap, whose message proves the arguments were
// accepted. An empty expected error stands for that.
const std::string acceptedLine;

const CommandLineCase cases[] = {
    {{"abc", "480"}, "ERROR: Could not parse first command-line-argument as integer."},
    {{"640", "abc"}, "ERROR: Could not parse second command-line-argument as integer."},
    {{"640", ""}, "ERROR: Could not parse second command-line-argument as integer."},
    {{"1024", "768", "true"}, "ERROR: Could not parse third command-line-argument as boolean."},
    {{"1024", "768", "2"}, "ERROR: Could not parse third command-line-argument as boolean."},
    {{"1024", "768", "0", "fast"},
     "ERROR: Could not parse fourth command-line-argument as integer."},
    {{"1024px", "768"}, "ERROR: Could not parse first command-line-argument as integer."},
    {{"1e3", "600"}, "ERROR: Could not parse first command-line-argument as integer."},
    {{"800", "600x"}, "ERROR: Could not parse second command-line-argument as integer."},
    {{"1024", "768", "1x"}, "ERROR: Could not parse third command-line-argument as boolean."},
    {{"0", "0"}, "ERROR: The window must be 1 to 8192 pixels a side, not 0 x 0."},
    {{"-5", "600"}, "ERROR: The window must be 1 to 8192 pixels a side, not -5 x 600."},
    {{"20000", "600"}, "ERROR: The window must be 1 to 8192 pixels a side, not 20000 x 600."},
    {{}, acceptedLine},
    {{"abc"}, acceptedLine},
    {{" 1024 ", "768"}, acceptedLine},
    {{"1024", "768", "0", "144", "ignored", "too"}, acceptedLine},
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    for (const std::string& argument : c.arguments) {
        *os << '"' << argument << "\" ";
    }
}

class CommandLine : public testing::TestWithParam<CommandLineCase> {};

} // namespace

TEST_P(CommandLine, EndsWithItsMessageAndExitCodeOne) {
    TempDir folder;
    std::vector<std::string> argv{testsupport::gameExe()};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());

    const auto result = runProcess(argv, folder.path());

    ASSERT_FALSE(result.timedOut) << "a fatal error must not wait for input without a terminal";
    ASSERT_FALSE(result.signaled);
    EXPECT_EQ(result.exitCode, 1);
    if (GetParam().expectedError.empty()) {
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out.rfind("ERROR: Image load failed - IL reports error: ", 0), 0u)
            << result.out;
    } else {
        EXPECT_EQ(lines(result.err), std::vector<std::string>{GetParam().expectedError});
        EXPECT_EQ(result.out, "") << "start-up errors belong on standard error";
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLine, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<CommandLineCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(CommandLineDisplay, NoDisplayEndsBeforeTheArgumentsAreRead) {
    TempDir folder;
    const auto result = runProcess({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                    testsupport::gameExe(), "640", "abc"},
                                   folder.path());

    EXPECT_EQ(result.exitCode, 1);
    // GLFW says why first (no display), then our own line.
    const auto errorLines = lines(result.err);
    ASSERT_EQ(errorLines.size(), 2u) << result.err;
    EXPECT_EQ(errorLines[0].rfind("GLFW error: ", 0), 0u) << result.err;
    EXPECT_NE(errorLines[0].find("DISPLAY"), std::string::npos) << result.err;
    EXPECT_EQ(errorLines[1], "ERROR: Could not init glfw.");
}
