// The in-memory registry (enumeration order, value look-ups, deletion as Windows
// does them) and the clock seam's conversions.
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

TEST(MemoryRegistry, ValuesKeepCreationOrderAndLookUpIgnoringCase) {
  MemoryRegistry reg;
  reg.putValue(kSoftware, "zz", 1, "a");
  reg.putValue(kSoftware, "AA", 4, "bbbb");
  reg.putValue(kSoftware, "ZZ", 3, "c");  // same value: replaced where it stands
  const RegKey key = open(reg, "SOFTWARE");
  char name[260];
  uint8_t data[16];
  std::vector<std::string> names;
  for (uint32_t i = 0;; ++i) {
    uint32_t nameLength = sizeof name;
    uint32_t type = 0;
    uint32_t dataLength = sizeof data;
    if (reg.enumValue(key, i, name, &nameLength, &type, data, &dataLength) != platform::kRegOk) break;
    names.push_back(std::string(name) + ":" + std::to_string(type));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"zz:3", "AA:4"}));
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(reg.queryValue(key, "aa", &type, nullptr, &size), platform::kRegOk);
  EXPECT_EQ(size, 4u);
  size = 2;
  EXPECT_EQ(reg.queryValue(key, "aa", &type, data, &size), platform::kRegMoreData);
  EXPECT_EQ(size, 4u);
  reg.closeKey(key);
}

TEST(MemoryRegistry, KeysAreDeletedOnlyWithoutSubkeysAndOldHandlesSeeTheDeletion) {
  MemoryRegistry reg;
  reg.addKeyPath(std::string(kSoftware) + "\\A\\B");
  const RegKey b = open(reg, "Software\\a\\b");
  RegKey software = open(reg, "Software");
  EXPECT_EQ(reg.deleteKey(software, "A"), platform::kRegAccessDenied);
  EXPECT_EQ(reg.deleteKey(software, "A\\B"), platform::kRegOk);
  platform::RegKeyInfo info{};
  EXPECT_EQ(reg.queryInfoKey(b, &info), platform::kRegKeyDeleted);
  EXPECT_EQ(reg.closeKey(b), platform::kRegOk);
  EXPECT_EQ(reg.closeKey(b), platform::kRegInvalidHandle);
  RegKey created = 0;
  EXPECT_EQ(reg.createKey(software, "A\\C\\D", platform::kRegAllAccess, &created), platform::kRegOk);
  EXPECT_TRUE(reg.keyExists("hkey_current_user\\software\\a\\c\\d"));
  reg.closeKey(created);
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
