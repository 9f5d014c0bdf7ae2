// The memory of the history's arrays (history_array.h): the C library's
// realloc, which grows a large block where it lies or moves its pages
// without copying them. Alone in this file so that a test program can link
// its own pair instead.
#include <cstdlib>

#include "history_array.h"

namespace davrel3 {

void* HistoryReallocate(void* block, std::size_t bytes) noexcept { return std::realloc(block, bytes); }

void HistoryRelease(void* block) noexcept { std::free(block); }

}  // namespace davrel3
