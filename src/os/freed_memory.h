#pragma once

// Memory the program has freed stays with the process until the allocator gives it back;
// after a window and its rendering state are released, it is asked to do so at once.
namespace FreedMemory {

void ReturnToSystem();

} // namespace FreedMemory
