// Replaces the global operator new so the benchmarks can count allocations.
#include "bench/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace pizzeria::bench {

std::atomic<std::int64_t> allocationCount{0};

} // namespace pizzeria::bench

namespace {

void* allocate(std::size_t size) {
    pizzeria::bench::allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}

void* operator new[](std::size_t size) {
    return allocate(size);
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
