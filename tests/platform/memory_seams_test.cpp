// The in-memory registry (enumeration order and deletion as Windows does them) and the
// clock seam's conversions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/memory_registry.h"

namespace {

using platform::MemoryRegistry;
using platform::RegKey;

const char kSoftware[] = "HKEY_CURRENT_USER\\Software";

std::vector<std::string> subkeyNames(MemoryRegistry& reg, RegKey key) {
  std::vector<std::string> names;
  char name[260];
  for (uint32_t i = 0;; ++i) {
    uint32_t length = sizeof name;
    if (reg.enumKey(key, i, name, &length, nullptr) != platform::kRegOk) break;
    names.emplace_back(name, length);
  }
  return names;
}

RegKey open(MemoryRegistry& reg, const char* sub) {
  RegKey key = 0;
  EXPECT_EQ(reg.openKey(platform::kHkeyCurrentUser, sub, platform::kRegRead, &key), platform::kRegOk)
      << sub;
  return key;
}

TEST(MemoryRegistry, EnumeratesSubkeysCaseInsensitivelyInUpperCaseOrder) {
  MemoryRegistry reg;
  for (const char* name : {"beta", "_under", "Alpha", "zeta", "ALPHA2"}) {
    reg.addKeyPath(std::string(kSoftware) + "\\" + name);
  }
  const RegKey key = open(reg, "software");
  // Upper-case folding puts "_" (0x5F) after "Z", as the registry sorts.
  EXPECT_EQ(subkeyNames(reg, key),
            (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "zeta", "_under"}));
  reg.closeKey(key);
  EXPECT_EQ(reg.openHandleCount(), 0);
}

TEST(MemoryRegistry, KeysAreDeletedOnlyWithoutSubkeysAndOldHandlesSeeTheDeletion) {
  MemoryRegistry reg;
  reg.addKeyPath(std::string(kSoftware) + "\\A\\B");
  const RegKey b = open(reg, "Software\\a\\b");
  const RegKey software = open(reg, "Software");
  EXPECT_EQ(reg.deleteKey(software, "A"), platform::kRegAccessDenied);
  EXPECT_EQ(reg.deleteKey(software, "A\\B"), platform::kRegOk);
  platform::RegKeyInfo info{};
  EXPECT_EQ(reg.queryInfoKey(b, &info), platform::kRegKeyDeleted);
  reg.closeKey(b);
  reg.closeKey(software);
}

}  // namespace

// The clock seam: conversions that hold in every time zone.

namespace {

// 2026-03-04 12:34:56 UTC as a file time.
constexpr uint64_t kMidday = (1772627696ull + 11644473600ull) * 10000000ull;

TEST(Clock, FileTimesConvertAndUnsetOnesAreRefused) {
  platform::LocalTime local{};
  ASSERT_TRUE(platform::fileTimeToLocal(kMidday + 9999999, local));
  // Time zones move the hour (and maybe the day) but not the seconds.
  EXPECT_EQ(local.year, 2026);
  EXPECT_EQ(local.month, 3);
  EXPECT_LE(std::abs(local.day - 4), 1);
  EXPECT_EQ(local.second, 56);

  EXPECT_FALSE(platform::fileTimeToLocal(0, local));
  EXPECT_FALSE(platform::fileTimeToLocal(0x8000000000000000ull, local));
}

}  // namespace
