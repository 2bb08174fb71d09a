#include "platform/shared_memory.h"

namespace platform {

SharedMemorySeam& defaultSharedMemorySeam();  // platform/<system>/
WindowPostSeam& defaultWindowPostSeam();      // platform/<system>/

namespace {
SharedMemorySeam* installedSharedMemory = nullptr;
WindowPostSeam* installedWindowPost = nullptr;
}  // namespace

SharedMemorySeam& sharedMemory() {
  return installedSharedMemory ? *installedSharedMemory : defaultSharedMemorySeam();
}
void setSharedMemorySeam(SharedMemorySeam* seam) { installedSharedMemory = seam; }

WindowPostSeam& windowPost() {
  return installedWindowPost ? *installedWindowPost : defaultWindowPostSeam();
}
void setWindowPostSeam(WindowPostSeam* seam) { installedWindowPost = seam; }

}  // namespace platform
