#pragma once

// Memory the program has freed stays with the process until the allocator gives it back;
// after a window and its rendering state are released, it is asked to do so at once.
namespace FreedMemory {

// Before any thread starts: large blocks (decoded images, long texts, clipboard reads) are
// mapped on their own and given back when freed, a heap's free end goes back early, and
// all threads share one heap that ReturnToSystem can empty. Left to itself, the allocator
// raises both limits after the first large block is freed and gives each thread a heap of
// its own, and a history of screenshots and long texts then keeps tens of MiB of freed
// copies.
void KeepLargeBlocksApart();

void ReturnToSystem();

} // namespace FreedMemory
