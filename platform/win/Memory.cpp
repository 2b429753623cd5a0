#include "platform/Memory.h"

#include <malloc.h>

namespace platform {

void ReleaseFreedMemory() {
    _heapmin();
}

} // namespace platform
