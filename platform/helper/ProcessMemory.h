#pragma once

// Keeps the memory the process frees for its next allocations instead of
// handing it back to the system at once: work that allocates and frees the
// same large buffers again and again then stops paying a page fault for every
// page of them. Takes effect once; later calls do nothing.
void KeepFreedMemory();
