#pragma once

// Has every block of at least 128 KiB the program frees go back to the
// system at once. Left to itself the C library raises that limit to the
// largest block freed so far (up to 32 MiB) and keeps smaller blocks for
// reuse, so the arrays of one sort of a million rows stayed with the
// process for good, and an emptied list still held nearly all it had.
// Called once at program start, before the first large block.
void ReturnLargeBlocksWhenFreed();

// Gives the system back the free pages in every heap of the allocator.
// Memory a thread allocated and another freed returns to the first
// thread's heap, where it stays resident, unused, until that thread
// allocates again: the walk's reader threads hold a few megabytes that way.
void ReturnFreePages();
