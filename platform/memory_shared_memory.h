// Shared memory held by the process itself: the native build's default and the tests'
// double. Blocks live while a handle to them is open, as named mappings do; opening
// can be made to fail, and posted commands are recorded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_memory.h"

namespace platform {

class MemorySharedMemory : public SharedMemorySeam {
 public:
  std::unique_ptr<SharedBlock> create(const char* name, uint32_t size, bool* existed) override;
  std::unique_ptr<SharedBlock> open(const char* name, uint32_t size, bool writable) override;

  // Every open answers nullptr while set.
  bool failOpen = false;
  // The bytes of a live block, nullptr when there is none.
  std::vector<uint8_t>* peek(const std::string& name);

 private:
  std::map<std::string, std::weak_ptr<std::vector<uint8_t>>> blocks_;
};

struct PostedCommand {
  uint32_t window;
  uint32_t commandId;
};

class RecordingWindowPost : public WindowPostSeam {
 public:
  bool postCommand(uint32_t window, uint32_t commandId) override {
    posted.push_back({window, commandId});
    return answer;
  }
  std::vector<PostedCommand> posted;
  bool answer = true;
};

}  // namespace platform
