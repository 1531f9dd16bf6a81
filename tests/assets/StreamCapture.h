#pragma once

#include <ostream>
#include <sstream>
#include <string>

namespace assettest {

// Collects what is written to `stream` (std::cout, std::cerr) while alive.
class StreamCapture {
public:
    explicit StreamCapture(std::ostream& stream)
        : stream(stream), previous(stream.rdbuf(captured.rdbuf())) {}
    ~StreamCapture() { stream.rdbuf(previous); }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    std::string text() const { return captured.str(); }

private:
    std::ostream& stream;
    std::ostringstream captured;
    std::streambuf* previous;
};

} // namespace assettest
