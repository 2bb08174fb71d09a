#include <sys/mman.h>
#include <unistd.h>

#include "platform/virtual_memory.h"

namespace platform {

uint32_t pageSizeBytes() { return static_cast<uint32_t>(sysconf(_SC_PAGESIZE)); }

void* reserveAddressSpace(size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

bool commitPages(void* address, size_t bytes) {
  return mprotect(address, bytes, PROT_READ | PROT_WRITE) == 0;
}

void decommitPages(void* address, size_t bytes) {
  // MADV_DONTNEED on private anonymous memory drops the pages: they read as zero
  // when committed again.
  madvise(address, bytes, MADV_DONTNEED);
  mprotect(address, bytes, PROT_NONE);
}

void releaseAddressSpace(void* address, size_t bytes) { munmap(address, bytes); }

}  // namespace platform
