// Named shared memory: blocks of bytes that two programs on one desktop both see
// under one name (a file mapping backed by the paging file on Windows).
//
// A block lives while any handle to it is open; its creator decides its size and
// fills it, every other program opens it by name. A handle owns its mapping and
// unmaps it when destroyed. The Win32 side passes through CreateFileMappingA /
// OpenFileMappingA / MapViewOfFile; outside Windows the default keeps blocks for the
// process itself, and tests install a MemorySharedMemory (platform/memory_shared_memory.h)
// that can refuse to open.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

class SharedBlock {
 public:
  virtual ~SharedBlock() = default;
  // The mapped bytes; never null. Writing through a block opened read-only is not allowed.
  virtual uint8_t* bytes() = 0;
  virtual uint32_t size() const = 0;
};

class SharedMemorySeam {
 public:
  virtual ~SharedMemorySeam() = default;
  // Creates block `name` of `size` zero bytes. When a block of that name exists already
  // it is not taken over: nullptr, with *existed set. nullptr also when it cannot be made.
  virtual std::unique_ptr<SharedBlock> create(const char* name, uint32_t size, bool* existed) = 0;
  // Opens existing block `name` and maps its first `size` bytes, writable or read-only;
  // nullptr when there is no such block or it cannot be opened or mapped.
  virtual std::unique_ptr<SharedBlock> open(const char* name, uint32_t size, bool writable) = 0;
};

// The seam in use; never null.
SharedMemorySeam& sharedMemory();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setSharedMemorySeam(SharedMemorySeam* seam);

// Posting a command to another program's window: WM_COMMAND with `commandId` and
// lParam 0 to the window whose handle is `window` (a handle as 32 bits, as programs
// of both widths share them). False when the message could not be posted.
class WindowPostSeam {
 public:
  virtual ~WindowPostSeam() = default;
  virtual bool postCommand(uint32_t window, uint32_t commandId) = 0;
};

WindowPostSeam& windowPost();
void setWindowPostSeam(WindowPostSeam* seam);

}  // namespace platform
