// How the C library's heap treats the blocks the GL driver allocates while drawing.
#pragma once

// Fixes the heap's thresholds so that blocks of a few megabytes are reused from the
// heap instead of being mapped, returned and faulted in again on every draw call.
// Call once, at start-up, before anything is allocated in quantity.
void tuneHeapForDrawing();
