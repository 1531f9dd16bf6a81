// Replaces the global operator new to count what it holds. A file of its own:
// the compiler must not see a new-expression beside the free() below.
#include "tests/reliability/HeldByNew.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include <malloc.h>

namespace {
std::atomic<std::size_t> held{0};
} // namespace

std::size_t testsupport::bytesHeldByNew() {
    return held.load();
}

#if PIZZERIA_COUNTS_NEW
void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    held += malloc_usable_size(block);
    return block;
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        held -= malloc_usable_size(block);
        std::free(block);
    }
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
#endif
