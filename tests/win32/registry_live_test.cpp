// The reader and the comparison on the system registry: a test subtree is made under
// HKEY_CURRENT_USER\Software\regKestrinTest, the whole registry is read, the subtree is
// changed, the registry is read again, and every mark is checked. The reader's
// totals are checked against a bare walk of the same registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "engine/store_walk.h"
#include "platform/memory/recording_messages.h"
#include "tests/engine/registry_test_support.h"
#include "tests/win32/bare_registry_walk.h"

namespace {

const char kTestKey[] = "Software\\regKestrinTest";
const std::string kTestPath = "HKEY_CURRENT_USER\\Software\\regKestrinTest";

void setValue(const std::string& sub, const char* name, DWORD type, const std::string& data) {
  HKEY key = nullptr;
  const std::string path = std::string(kTestKey) + (sub.empty() ? "" : "\\" + sub);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  if (name != nullptr) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  RegCloseKey(key);
}

void removeTestTree() { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

std::string bigData(char last) {
  std::string data(150000, 'q');
  data.back() = last;
  return data;
}

using registry_test::findKey;

// Marks of a subtree, "path state" for keys and "path : name state" for values.
std::vector<std::string> marksBelow(SnapshotStore& store, ItemIndex top) {
  std::vector<std::string> marks;
  store_walk::walkKeys(store, top, false, [&](ItemIndex key) {
    const std::string path = buildItemPath(store, key, 0).substr(kTestPath.size());
    marks.push_back(path + " " + std::to_string(keyRecord(store, key).state));
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
      marks.push_back(path + " : " + valueName(store, value) + " " + std::to_string(v.state));
    });
    return true;
  });
  return marks;
}

// Error boxes of a read. Wine answers some keys of its own with failures (the
// performance-text key cannot be queried); those are listed, while any box about the
// test keys fails the test.
void checkBoxes(platform::RecordingMessages& recorder) {
  for (const auto& box : recorder.shown) {
    if (box.text.find("regKestrinTest") != std::string::npos) {
      ADD_FAILURE() << box.text;
    } else {
      std::printf("box outside the test keys: %s\n", box.text.c_str());
    }
  }
  recorder.shown.clear();
}

class LiveRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    initSnapshotStores();
    removeTestTree();
  }
  void TearDown() override { removeTestTree(); }

  platform::ScopedMessages messages;
};

TEST_F(LiveRegistryTest, ReadChangeReadAndCompare) {
  setValue("Keep", "str", REG_SZ, std::string("hello\0", 6));
  setValue("Keep", "dword", REG_DWORD, std::string("\x01\0\0\0", 4));
  setValue("Keep", "multi", REG_MULTI_SZ, std::string("a\0b\0\0tail one", 14));
  setValue("Keep", "big", REG_BINARY, bigData('1'));
  setValue("Keep", "gone", REG_SZ, std::string("bye\0", 4));
  setValue("Keep\\Child", nullptr, 0, "");
  setValue("Doomed\\Inner", "x", REG_SZ, std::string("x\0", 2));
  setValue("Stable", "same", REG_SZ, std::string("same\0", 5));

  ReaderOptions options;
  options.keepValueData = true;
  // The reader's totals against a bare walk of the same registry, taken before and
  // after the read; the system's own writes (Wine's services after a start) may move
  // them, so a read between two walks that differ is made again.
  ReadResult first{};
  BareWalkTotals bare;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const BareWalkTotals walkBefore = bareRegistryWalk();
    initSnapshotStores();
    first = readRegistry(options);
    bare = bareRegistryWalk();
    if (walkBefore.keys == bare.keys && walkBefore.values == bare.values) break;
  }
  EXPECT_FALSE(first.compared);
  checkBoxes(messages.recorder);
  std::printf("registry: %lld keys, %lld values, %lld refused\n", static_cast<long long>(bare.keys),
              static_cast<long long>(bare.values), static_cast<long long>(bare.refused));
  EXPECT_EQ(first.counts.keys, bare.keys);
  EXPECT_EQ(first.counts.values, bare.values);
  EXPECT_EQ(first.counts.refused, bare.refused);

  setValue("Added\\Sub", "n", REG_SZ, std::string("n\0", 2));
  RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\Doomed").c_str());
  setValue("Keep", "str", REG_SZ, std::string("world\0", 6));
  EXPECT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\Keep").c_str(), "gone"), 0);
  setValue("Keep", "newval", REG_DWORD, std::string("\x02\0\0\0", 4));
  setValue("Keep", "big", REG_BINARY, bigData('2'));                           // digest only
  setValue("Keep", "multi", REG_MULTI_SZ, std::string("a\0b\0\0tail two", 14));  // same list

  const ReadResult second = readRegistry(options);
  EXPECT_TRUE(second.compared);
  checkBoxes(messages.recorder);
  SnapshotStore& store = currentStore();
  const ItemIndex top = findKey(store, kTestPath);
  ASSERT_GE(top, 0);
  EXPECT_EQ(marksBelow(store, top),
            (std::vector<std::string>{" 5",
                                      "\\Added 6",
                                      "\\Added\\Sub 6",
                                      "\\Added\\Sub : n 10",
                                      "\\Doomed 7",
                                      "\\Keep 5",
                                      "\\Keep : big 9",
                                      "\\Keep : dword 8",
                                      "\\Keep : gone 11",
                                      "\\Keep : multi 8",
                                      "\\Keep : newval 10",
                                      "\\Keep : str 9",
                                      "\\Keep\\Child 0",
                                      "\\Stable 0",
                                      "\\Stable : same 8"}));
}

}  // namespace

namespace {

// The longest names the registry allows: a key of 255 double-byte characters (510
// bytes) between siblings A and ン, a value of 16,383 before value "after".
TEST_F(LiveRegistryTest, LongestNamesAreReadAndComparedWithoutError) {
  std::string longKey, longValue;
  for (int i = 0; i < 255; ++i) longKey += "\x83\x41";
  for (int i = 0; i < 16383; ++i) longValue += "\x83\x6D";
  wchar_t wide[300];  // Wine's RegCreateKeyExA refuses names over 259 bytes
  MultiByteToWideChar(932, 0, ("Software\\regKestrinTest\\" + longKey).c_str(), -1, wide, 300);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
  RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
  RegCloseKey(key);
  for (const char* sub : {"A", "\x83\x93"}) setValue(sub, "v", REG_SZ, "x");
  setValue("", longValue.c_str(), REG_SZ, "first");
  setValue("", "after", REG_SZ, "second");
  readRegistry(ReaderOptions{});
  setValue("\x83\x93", "v", REG_SZ, "changed");
  EXPECT_TRUE(readRegistry(ReaderOptions{}).compared);
  checkBoxes(messages.recorder);
  std::vector<std::string> marks = marksBelow(currentStore(), findKey(currentStore(), kTestPath));
  for (std::string& mark : marks) {
    if (mark.size() > 100) mark = "long " + mark.substr(mark.size() - 1);
  }
  EXPECT_EQ(marks, (std::vector<std::string>{" 5", " : after 8", "long 8", "\\A 0", "\\A : v 8",
                                             "long 0", "long 8", "\\\x83\x93 5", "\\\x83\x93 : v 9"}));
}

// Names cp932 cannot hold (é, ¥, ®): the system's ANSI names for them are best-fit
// ones (cafe, A\B, RegR) that open another key or none. They are kept as refused
// under a name with '?', without a message, and the keys they resemble keep their own
// contents.
TEST_F(LiveRegistryTest, NamesOutsideTheCodePageAreKeptAsRefusedNotTakenForOthers) {
  for (const wchar_t* name : {L"caf\u00e9", L"A\u00a5B", L"Reg\u00ae"}) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(L"Software\\regKestrinTest\\") + name;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), 0);
    RegSetValueExA(key, "in", 0, REG_SZ, reinterpret_cast<const BYTE*>("other"), 6);
    RegCloseKey(key);
  }
  setValue("cafe", "in", REG_SZ, std::string("plain\0", 6));
  setValue("A\\B", "in", REG_SZ, std::string("nested\0", 7));
  readRegistry(ReaderOptions{});
  checkBoxes(messages.recorder);
  EXPECT_EQ(marksBelow(currentStore(), findKey(currentStore(), kTestPath)),
            (std::vector<std::string>{" 0", "\\A 0", "\\A\\B 0", "\\A\\B : in 8", "\\A?B 4",
                                      "\\caf? 4", "\\cafe 0", "\\cafe : in 8", "\\Reg? 4"}));
}

}  // namespace
