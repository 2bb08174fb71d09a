// Two-pass building of a listing's text into one block of the memory pool.
//
// A listing is produced by one emitting function run twice: first with a measuring
// sink that only sums the lengths, then with a writing sink over a block of exactly
// the measured size plus the NUL. The block comes from allocBlock, so a listing above
// the pool's 8 MiB single-block limit cannot be built; the caller then warns instead
// of copying.
//
// The writing sink never writes past the measured size: should the second pass come
// out longer than the first (data read live from a registry that changed in between),
// the text is cut at the measured size rather than overrunning the block.
#pragma once

#include <cstddef>
#include <cstring>
#include <utility>

class ListingSink {
 public:
  // A measuring sink.
  ListingSink() = default;
  // A writing sink over `capacity` bytes of `dest` (the NUL goes after them).
  ListingSink(char* dest, size_t capacity) : dest_(dest), capacity_(capacity) {}

  void put(const char* text, size_t length) {
    if (dest_ != nullptr) {
      const size_t room = capacity_ - length_;
      if (length > room) length = room;
      std::memcpy(dest_ + length_, text, length);
    }
    length_ += length;
  }
  void put(const char* text) { put(text, std::strlen(text)); }
  void spaces(size_t count);

  // Bytes measured, or written so far.
  size_t length() const { return length_; }

 private:
  char* dest_ = nullptr;
  size_t capacity_ = 0;
  size_t length_ = 0;
};

// A listing's text: a NUL-terminated block of the memory pool, given back when the
// object goes. Empty (ok() false) when the block could not be had.
class ListingText {
 public:
  ListingText() = default;
  ListingText(char* block, size_t length) : block_(block), length_(length) {}
  ~ListingText();
  ListingText(ListingText&& other) noexcept
      : block_(std::exchange(other.block_, nullptr)), length_(std::exchange(other.length_, 0)) {}
  ListingText& operator=(ListingText&& other) noexcept;
  ListingText(const ListingText&) = delete;
  ListingText& operator=(const ListingText&) = delete;

  bool ok() const { return block_ != nullptr; }
  const char* text() const { return block_ != nullptr ? block_ : ""; }
  size_t length() const { return length_; }

 private:
  char* block_ = nullptr;
  size_t length_ = 0;
};

// Takes a block for `length` bytes and the NUL; nullptr when the pool refuses it.
char* takeListingBlock(size_t length);

// Runs emit(sink) to measure, takes the block, runs it again to write.
template <class Emit>
ListingText buildListing(Emit&& emit) {
  ListingSink measure;
  emit(measure);
  char* block = takeListingBlock(measure.length());
  if (block == nullptr) return ListingText();
  ListingSink write(block, measure.length());
  emit(write);
  block[write.length()] = '\0';
  return ListingText(block, write.length());
}
