#include "text/listing_block.h"

#include "engine/memory_pool.h"

void ListingSink::spaces(size_t count) {
  static const char kBlanks[] = "                                                                ";
  constexpr size_t kRun = sizeof kBlanks - 1;
  while (count > 0) {
    const size_t step = count < kRun ? count : kRun;
    put(kBlanks, step);
    count -= step;
  }
}

ListingText::~ListingText() {
  if (block_ != nullptr) freeBlock(block_);
}

ListingText& ListingText::operator=(ListingText&& other) noexcept {
  if (this != &other) {
    if (block_ != nullptr) freeBlock(block_);
    block_ = std::exchange(other.block_, nullptr);
    length_ = std::exchange(other.length_, 0);
  }
  return *this;
}

char* takeListingBlock(size_t length) {
  // Above the single-block limit allocBlock refuses silently; the size test also
  // keeps length + 1 from wrapping.
  if (length >= kMaxBlockBytes) return nullptr;
  return static_cast<char*>(allocBlock(length + 1));
}
