#pragma once

// Hands the heap memory that the program has freed back to the system. The C library keeps
// freed memory for later allocations, which after the transient buffers of a large message (the
// file's bytes, the list it replaced, an undo history) is tens of megabytes that nothing uses.
// Cheap when little is free; call it after such an operation, not in a loop.
void returnFreedMemory();
