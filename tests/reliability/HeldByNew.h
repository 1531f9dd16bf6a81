#pragma once

#include <cstddef>

// Bytes held through operator new: the game's objects, strings and
// containers. The software driver's frame data, tens of megabytes that come
// and go with what is drawn, is malloc'ed and stays out of it. Counted only
// where no sanitizer brings an allocator of its own.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define PIZZERIA_COUNTS_NEW 1
#else
#define PIZZERIA_COUNTS_NEW 0
#endif

namespace testsupport {

std::size_t bytesHeldByNew();

} // namespace testsupport
