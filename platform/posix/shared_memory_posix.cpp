// Outside Windows there are no other programs to share with: blocks are kept for the
// process itself and posted commands go nowhere.
#include "platform/memory_shared_memory.h"

namespace platform {

SharedMemorySeam& defaultSharedMemorySeam() {
  static MemorySharedMemory seam;
  return seam;
}

namespace {
class NoWindowPost : public WindowPostSeam {
 public:
  bool postCommand(uint32_t, uint32_t) override { return false; }
};
}  // namespace

WindowPostSeam& defaultWindowPostSeam() {
  static NoWindowPost seam;
  return seam;
}

}  // namespace platform
