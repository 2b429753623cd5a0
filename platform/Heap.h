#pragma once

namespace platform {

/// Has every thread of the process take its memory from one heap. The threads that read ahead at start-up
/// then leave what they free to the others, where heaps of their own would each keep it. Call it before any
/// thread starts. Linux: glibc keeps one heap (arena) per thread that contends for one; Windows: the process
/// heap is shared already, nothing to do.
void ShareOneHeap();

} // namespace platform
