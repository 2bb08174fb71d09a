// Page-granular address space: reserve a range, commit pages read-write (they read
// as zero), decommit them again, release the whole range. VirtualAlloc/VirtualFree on
// Windows, mmap/mprotect/madvise elsewhere. Sizes are whole pages.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

uint32_t pageSizeBytes();
// nullptr when the system refuses.
void* reserveAddressSpace(size_t bytes);
// False when the system refuses; the pages then stay inaccessible.
bool commitPages(void* address, size_t bytes);
// The range stays reserved; its contents are discarded.
void decommitPages(void* address, size_t bytes);
// Gives back a range obtained from reserveAddressSpace, `bytes` its reserved size.
void releaseAddressSpace(void* address, size_t bytes);

}  // namespace platform
