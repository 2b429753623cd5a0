#include "platform/Heap.h"

#include <malloc.h>

namespace platform {

void ShareOneHeap() {
    // Only a hint: a C library that does not know it keeps its own ways.
    mallopt(M_ARENA_MAX, 1);
}

} // namespace platform
