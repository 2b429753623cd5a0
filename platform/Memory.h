#pragma once

namespace platform {

/// Gives back to the system the memory that the program has freed but its heaps still hold: above all what a
/// thread that has ended freed, which stays in that thread's heap where the main thread does not allocate.
void ReleaseFreedMemory();

} // namespace platform
