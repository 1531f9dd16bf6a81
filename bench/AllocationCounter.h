#pragma once

#include <atomic>
#include <cstdint>

namespace pizzeria::bench {

// Heap allocations made through operator new since the program started.
extern std::atomic<std::int64_t> allocationCount;

} // namespace pizzeria::bench
