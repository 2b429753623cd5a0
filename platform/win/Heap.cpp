#include "platform/Heap.h"

namespace platform {

void ShareOneHeap() {}

} // namespace platform
