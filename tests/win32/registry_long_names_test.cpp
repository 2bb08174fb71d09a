// The reader on the system registry with the longest names it allows: a key named
// with 255 double-byte characters between two siblings, and a value named with 16,383
// characters before another value. Everything is read without an error, and a
// comparison after the last sibling changes reports exactly that change.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "engine/store_walk.h"
#include "platform/memory/recording_messages.h"

namespace {

const char kTestKey[] = "Software\\regKestrinLongNames";
const char kTestName[] = "regKestrinLongNames";

std::string repeated(const char* piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// ア (U+30A2) repeated: 510 cp932 bytes; its siblings A and ン sort before and after
// it both in the registry's order and in the program's.
const std::string kLongKey = repeated("\x83\x41", 255);
const std::string kLongValue = repeated("\x83\x6D", 16383);

HKEY createKey(const std::string& sub) {
  HKEY key = nullptr;
  const std::string path = std::string(kTestKey) + (sub.empty() ? "" : "\\" + sub);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << sub.size();
  return key;
}

void setString(const std::string& sub, const std::string& name, const std::string& text) {
  HKEY key = createKey(sub);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS)
      << name.size();
  RegCloseKey(key);
}

void removeTestTree() { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

ItemIndex testKeyOf(SnapshotStore& store) {
  const ItemIndex software = findChild(store, 2, "Software", false);
  return software < 0 ? kNoItem : findChild(store, software, kTestName, false);
}

// "name state" of every key below the test key and ": name state" of every value,
// with the long names shortened to "<long>".
std::vector<std::string> everythingBelow(SnapshotStore& store, ItemIndex top) {
  auto shown = [](const std::string& name) {
    return name == kLongKey || name == kLongValue ? std::string("<long>") : name;
  };
  std::vector<std::string> items;
  store_walk::walkKeys(store, top, false, [&](ItemIndex key) {
    if (key != top) {
      items.push_back(shown(keyName(store, key)) + " " + std::to_string(keyRecord(store, key).state));
    }
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
      items.push_back(": " + shown(valueName(store, value)) + " " + std::to_string(v.state));
    });
    return true;
  });
  return items;
}

// Boxes about the test keys fail the test; Wine's own failing keys are only listed.
void expectNoBoxAboutTheTestKeys(platform::RecordingMessages& recorder) {
  for (const auto& box : recorder.shown) {
    EXPECT_EQ(box.text.find(kTestName), std::string::npos) << box.text.substr(0, 200);
  }
  recorder.shown.clear();
}

class LongNamesLiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "run under the Japanese locale";
    initMemoryPool();
    initSnapshotStores();
    removeTestTree();
  }
  void TearDown() override { removeTestTree(); }

  platform::ScopedMessages messages;
};

TEST_F(LongNamesLiveTest, LongestNamesAreReadAndComparedWithoutError) {
  setString("A", "v", "a");
  setString(kLongKey, "v", "long");
  setString("\x83\x93", "v", "n");  // ン
  setString("", kLongValue, "first");
  setString("", "after", "second");

  ReaderOptions options;
  options.keepValueData = true;
  readRegistry(options);
  expectNoBoxAboutTheTestKeys(messages.recorder);
  SnapshotStore& first = currentStore();
  const ItemIndex top = testKeyOf(first);
  ASSERT_GE(top, 0);
  EXPECT_EQ(everythingBelow(first, top),
            (std::vector<std::string>{": after 8", ": <long> 8", "A 0", ": v 8", "<long> 0",
                                      ": v 8", "\x83\x93 0", ": v 8"}));

  setString("\x83\x93", "v", "changed");
  setString("", "after", "changed");
  const ReadResult second = readRegistry(options);
  EXPECT_TRUE(second.compared);
  expectNoBoxAboutTheTestKeys(messages.recorder);
  SnapshotStore& store = currentStore();
  EXPECT_EQ(everythingBelow(store, testKeyOf(store)),
            (std::vector<std::string>{": after 9", ": <long> 8", "A 0", ": v 8", "<long> 0",
                                      ": v 8", "\x83\x93 5", ": v 9"}));
}

}  // namespace
