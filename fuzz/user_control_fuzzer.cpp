// Fuzz target: reading userCtrl.dat.
//
// The input is the file's contents (an exact-size copy). Bit 0 of its first byte (the
// format word, which is not checked) loads a few shipped rules first, so that the
// user's rules merge into an existing tree. An image that is refused must leave the
// store exactly as it was; an image that is taken must leave it sound, and writing the
// store and reading it back into a fresh store must settle after one round: the
// second round gives the same file as the first.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/memory_pool.h"
#include "fuzz/rule_store_checks.h"
#include "rules/rule_files.h"

using rule_fuzz::require;

namespace {

const char kShipped[] =
    "[NoCheck]\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Shipped\n"
    "HKEY_USERS\\\\\\s\\Software\\\\*Cache\n"
    "SPECIAL_SETTINGS\\SAME_KEYS\\Temp\n";

std::vector<uint8_t> storeImage() {
  std::vector<uint8_t> image;
  encodeUserControl(image);
  return image;
}

// Resets the store and reads `image` into it.
std::vector<uint8_t> roundTrip(const std::vector<uint8_t>& image) {
  resetRules();
  require(decodeUserControl(image.data(), image.size()));
  rule_fuzz::requireSoundStore();
  return storeImage();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initMemoryPool(), true);
  (void)ready;
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(copy.get(), data, size);

  resetRules();
  if (size > 0 && (data[0] & 1) != 0) {
    parseKeyControlText(kShipped, sizeof kShipped - 1, RuleFileSwitches{true, true, true, true, true},
                        nullptr);
  }
  const std::vector<uint8_t> before = storeImage();
  if (!decodeUserControl(copy.get(), size)) {
    require(storeImage() == before);
    return 0;
  }
  rule_fuzz::requireSoundStore();
  const std::vector<uint8_t> first = roundTrip(storeImage());
  const std::vector<uint8_t> second = roundTrip(first);
  require(roundTrip(second) == second);
  return 0;
}
