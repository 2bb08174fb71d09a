#include <windows.h>

#include "platform/virtual_memory.h"

namespace platform {

uint32_t pageSizeBytes() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

void* reserveAddressSpace(size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS);
}

bool commitPages(void* address, size_t bytes) {
  return VirtualAlloc(address, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void decommitPages(void* address, size_t bytes) { VirtualFree(address, bytes, MEM_DECOMMIT); }

void releaseAddressSpace(void* address, size_t /*bytes*/) { VirtualFree(address, 0, MEM_RELEASE); }

}  // namespace platform
