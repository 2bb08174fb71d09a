#include "platform/memory_shared_memory.h"

namespace platform {

namespace {
class MemoryBlock : public SharedBlock {
 public:
  MemoryBlock(std::shared_ptr<std::vector<uint8_t>> bytes, uint32_t size)
      : bytes_(std::move(bytes)), size_(size) {}
  uint8_t* bytes() override { return bytes_->data(); }
  uint32_t size() const override { return size_; }

 private:
  std::shared_ptr<std::vector<uint8_t>> bytes_;
  uint32_t size_;
};
}  // namespace

std::unique_ptr<SharedBlock> MemorySharedMemory::create(const char* name, uint32_t size,
                                                        bool* existed) {
  if (existed) *existed = false;
  if (peek(name) != nullptr) {
    if (existed) *existed = true;
    return nullptr;
  }
  if (size == 0) return nullptr;
  auto bytes = std::make_shared<std::vector<uint8_t>>(size, 0);
  blocks_[name] = bytes;
  return std::make_unique<MemoryBlock>(bytes, size);
}

std::unique_ptr<SharedBlock> MemorySharedMemory::open(const char* name, uint32_t size, bool) {
  if (failOpen) return nullptr;
  auto found = blocks_.find(name);
  if (found == blocks_.end()) return nullptr;
  std::shared_ptr<std::vector<uint8_t>> bytes = found->second.lock();
  // A view larger than the mapping cannot be mapped.
  if (!bytes || size == 0 || size > bytes->size()) return nullptr;
  return std::make_unique<MemoryBlock>(bytes, size);
}

std::vector<uint8_t>* MemorySharedMemory::peek(const std::string& name) {
  auto found = blocks_.find(name);
  if (found == blocks_.end()) return nullptr;
  if (found->second.expired()) {
    blocks_.erase(found);
    return nullptr;
  }
  return found->second.lock().get();
}

}  // namespace platform
