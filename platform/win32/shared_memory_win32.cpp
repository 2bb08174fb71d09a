// Named file mappings backed by the paging file, and PostMessageA.
#include <windows.h>

#include "platform/shared_memory.h"

namespace platform {

namespace {
class MappedBlock : public SharedBlock {
 public:
  MappedBlock(HANDLE mapping, uint8_t* view, uint32_t size)
      : mapping_(mapping), view_(view), size_(size) {}
  ~MappedBlock() override {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
  }
  MappedBlock(const MappedBlock&) = delete;
  MappedBlock& operator=(const MappedBlock&) = delete;
  uint8_t* bytes() override { return view_; }
  uint32_t size() const override { return size_; }

 private:
  HANDLE mapping_;
  uint8_t* view_;
  uint32_t size_;
};

std::unique_ptr<SharedBlock> mapBlock(HANDLE mapping, uint32_t size, DWORD access) {
  if (mapping == nullptr) return nullptr;
  void* view = MapViewOfFile(mapping, access, 0, 0, size);
  if (view == nullptr) {
    CloseHandle(mapping);
    return nullptr;
  }
  return std::make_unique<MappedBlock>(mapping, static_cast<uint8_t*>(view), size);
}

class Win32SharedMemory : public SharedMemorySeam {
 public:
  std::unique_ptr<SharedBlock> create(const char* name, uint32_t size, bool* existed) override {
    if (existed) *existed = false;
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
    if (mapping == nullptr) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(mapping);
      if (existed) *existed = true;
      return nullptr;
    }
    return mapBlock(mapping, size, FILE_MAP_ALL_ACCESS);
  }

  std::unique_ptr<SharedBlock> open(const char* name, uint32_t size, bool writable) override {
    HANDLE mapping = OpenFileMappingA(writable ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ, FALSE, name);
    return mapBlock(mapping, size, writable ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ);
  }
};

class Win32WindowPost : public WindowPostSeam {
 public:
  bool postCommand(uint32_t window, uint32_t commandId) override {
    // Window handles are 32-bit values sign-extended on 64-bit Windows.
    HWND target = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(window)));
    return PostMessageA(target, WM_COMMAND, commandId, 0) != 0;
  }
};
}  // namespace

SharedMemorySeam& defaultSharedMemorySeam() {
  static Win32SharedMemory seam;
  return seam;
}

WindowPostSeam& defaultWindowPostSeam() {
  static Win32WindowPost seam;
  return seam;
}

}  // namespace platform
