#include "platform/Memory.h"

#include <malloc.h>

namespace platform {

void ReleaseFreedMemory() {
    malloc_trim(0); // every heap, and the free pages inside them as well as those at their ends
}

} // namespace platform
