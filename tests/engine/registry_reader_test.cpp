#include "engine/registry_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/progress_hooks.h"
#include "engine/store_walk.h"
#include "tests/engine/registry_test_support.h"
#include "tests/engine/store_test_support.h"

namespace {

using registry_test::findValue;
using store_test::changeCounts;
using registry_test::RegistryReadTest;

const std::string kUser = "HKEY_CURRENT_USER";
const std::string kApp = "HKEY_CURRENT_USER\\Software\\App";

std::string keptData(SnapshotStore& store, ItemIndex value) {
  const ValueRecord& v = valueRecord(store, value);
  if (!(v.flags & VF_DATA_KEPT)) return "<digest only>";
  return std::string(entryText(store, v.data), static_cast<size_t>(dataEntry(store, v.data).chainOrLength));
}

class ReaderTest : public RegistryReadTest {
 protected:
  // Sizes kept while reading must be those a full recount gives.
  void expectSizesMatchRecount() {
    std::vector<std::pair<int32_t, int32_t>> read;
    store_walk::walkAllKeys(current(), [&](ItemIndex k) {
      read.emplace_back(rec(k).itemCount, rec(k).byteCount);
      return true;
    });
    recomputeSizes(current(), 0);
    size_t i = 0;
    store_walk::walkAllKeys(current(), [&](ItemIndex k) {
      EXPECT_EQ(read[i].first, rec(k).itemCount) << buildItemPath(current(), k, 0);
      EXPECT_EQ(read[i].second, rec(k).byteCount) << buildItemPath(current(), k, 0);
      ++i;
      return true;
    });
  }
};

TEST_F(ReaderTest, ReadsKeysValuesDataAndTimes) {
  options.keepValueData = true;
  reg.putValue(kApp, "", 1, std::string("default\0", 8));
  reg.putValue(kApp, "Multi", 7, std::string("a\0\0trailing", 11));
  reg.putValue(kApp, "Big", 3, std::string(200000, 'b'));  // beyond the first 64 KiB buffer
  reg.putValue(kApp, "Dword", 4, std::string("\x01\x02\x03\x04", 4));
  const std::string big2(200000, 'c');  // the two big data outgrow the first log block
  reg.putValue(kApp, "Big2", 3, big2);
  reg.putValue(kApp, "Odd", 99, "x");
  reg.addKeyPath(kApp + "\\b_key");
  reg.addKeyPath(kApp + "\\_first");
  reg.addKeyPath(kApp + "\\A_key\\deeper");
  reg.setLastWriteTime(kApp, 0x01D0000000000000ull);

  const ReadResult result = read();
  EXPECT_TRUE(shown().empty());
  EXPECT_FALSE(result.compared);
  EXPECT_EQ(reg.openHandleCount(), 0);

  const ItemIndex app = key(kApp);
  ASSERT_GE(app, 0);
  // Store order ("_" before letters) although the registry enumerates "_first" last.
  EXPECT_EQ(store_test::childNames(current(), app), (std::vector<std::string>{"_first", "A_key", "b_key"}));
  EXPECT_EQ(keyLastWrite(current(), app), 0x01D0000000000000ull);

  const ItemIndex multi = value(kApp, "multi");
  EXPECT_EQ(keptData(current(), multi), std::string("a\0\0", 3));
  EXPECT_EQ(val(multi).digest, valueDigest16(reinterpret_cast<const uint8_t*>("a\0\0"), 3));
  const ItemIndex big = value(kApp, "Big");
  EXPECT_TRUE(val(big).flags & VF_DIGEST_ONLY);
  EXPECT_EQ(val(big).data, 200000);
  EXPECT_EQ(val(value(kApp, "Big2")).digest,
            valueDigest16(reinterpret_cast<const uint8_t*>(big2.data()), big2.size()));
  EXPECT_EQ(valueType(val(value(kApp, "Dword"))), 4u);
  EXPECT_EQ(valueType(val(value(kApp, "Odd"))), 0u);  // types above 15 are stored as 0
  EXPECT_EQ(keptData(current(), value(kApp, "")), std::string("default\0", 8));
  EXPECT_EQ(store_test::valueNames(current(), app),
            (std::vector<std::string>{"", "Big", "Big2", "Dword", "Multi", "Odd"}));
  EXPECT_EQ(result.counts.values, 6);
  expectSizesMatchRecount();
}

TEST_F(ReaderTest, FirstReadBecomesTheBaselineAndTheSecondIsCompared) {
  reg.putValue(kApp, "v", 1, "old");
  StatusCounts summary{};
  static StatusCounts* seen;
  seen = &summary;
  ReaderHooks hooks;
  hooks.showChangeSummary = [](const StatusCounts& counts) { *seen = counts; };
  setReaderHooks(hooks);

  EXPECT_FALSE(read().compared);
  EXPECT_EQ(registry_test::recordedStatus().back(), "レジストリ読み込み完了");
  EXPECT_TRUE(storesShareBlocks(current(), baseline()));

  reg.putValue(kApp, "v", 1, "new");
  reg.addKeyPath(kApp + "\\Added");
  const ReadResult second = read();
  EXPECT_TRUE(second.compared);
  EXPECT_FALSE(storesShareBlocks(current(), baseline()));
  EXPECT_EQ(changeCounts(summary), "keys +1 -0, values ~1 +0 -0");
  EXPECT_EQ(rec(key(kApp + "\\Added")).state, STATE_ADDED);
  // The baseline kept its blocks through the second read.
  EXPECT_EQ(findValue(baseline(), kApp, "v") >= 0, true);
  EXPECT_EQ(countItems(baseline(), 0), countItems(current(), 0) - 1);
}

bool openedAny(const std::vector<std::string>& paths, const std::string& part) {
  for (const std::string& path : paths) {
    if (path.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST_F(ReaderTest, RefusedKeysAreKeptInStateFourOrDropped) {
  reg.addKeyPath(kApp + "\\Locked\\Inner");
  reg.addKeyPath(kApp + "\\Open");
  reg.failOpen(kApp + "\\Locked", platform::kRegAccessDenied);
  // A name the system gives with '?' for characters cp932 cannot hold: never opened,
  // since that name would open another key or none.
  reg.addKeyPath(kApp + "\\caf?\\Inner");
  reg.failEnumKey(kApp + "\\caf?", platform::kRegNameNotInCodePage);
  options.discardRefusedKeys = true;
  read();
  EXPECT_LT(key(kApp + "\\Locked"), 0);
  EXPECT_LT(key(kApp + "\\caf?"), 0);
  EXPECT_GE(key(kApp + "\\Open"), 0);

  options.discardRefusedKeys = false;
  reg.clearOpenedPaths();
  read();
  EXPECT_TRUE(shown().empty());
  EXPECT_FALSE(openedAny(reg.openedPaths(), "caf?"));
  for (const char* name : {"Locked", "caf?"}) {
    const ItemIndex refused = key(kApp + "\\" + name);
    ASSERT_GE(refused, 0) << name;
    EXPECT_EQ(rec(refused).state, STATE_REFUSED);
    EXPECT_EQ(rec(refused).firstChild, kNoItem);
    for (ItemIndex at = refused; at >= 0; at = rec(at).parent) {
      EXPECT_TRUE(rec(at).summary & SUM_CONTROLLED) << keyName(current(), at);
    }
  }
  EXPECT_FALSE(rec(key(kApp + "\\Open")).summary & SUM_CONTROLLED);
  EXPECT_EQ(takeStatusCounts(current(), false).changes(), 0);  // refused is not added
}

TEST_F(ReaderTest, KeysThatVanishOrCannotBeLookedUpAreLeftOutSilently) {
  reg.addKeyPath(kApp + "\\Gone");
  reg.addKeyPath(kApp + "\\Odd");
  reg.addKeyPath(kApp + "\\Stays");
  reg.vanishOnOpen(kApp + "\\Gone");
  reg.failOpen(kApp + "\\Odd", platform::kRegInsufficientBuffer);
  read();
  EXPECT_TRUE(shown().empty());
  EXPECT_LT(key(kApp + "\\Gone"), 0);
  EXPECT_LT(key(kApp + "\\Odd"), 0);
  EXPECT_GE(key(kApp + "\\Stays"), 0);
  EXPECT_EQ(rec(key(kApp)).itemCount, 1);
}

TEST_F(ReaderTest, OtherFailuresAreReportedAndTheReadGoesOn) {
  reg.addKeyPath(kApp + "\\Broken");
  reg.addKeyPath(kApp + "\\NoInfo\\Below");
  reg.addKeyPath(kApp + "\\Zlast");
  reg.failOpen(kApp + "\\Broken", 1010);
  reg.failQueryInfo(kApp + "\\NoInfo", 1009);
  read();
  ASSERT_EQ(shown().size(), 4u);
  EXPECT_EQ(shown()[0].caption, "レジストリ アクセス エラー");
  // The failing key is reported under its own path.
  const std::string text = shown()[0].text;
  EXPECT_EQ(text.substr(text.find('\n') + 1), kApp + "\\Broken");
  EXPECT_EQ(shown()[1].caption, "レジストリ エラー　Option");
  EXPECT_EQ(shown()[1].text, "rc=3f2 size=-2");
  EXPECT_EQ(shown()[3].text, "rc=3f1 size=-1");
  EXPECT_EQ(rec(key(kApp + "\\Broken")).state, STATE_REFUSED);
  EXPECT_EQ(rec(key(kApp + "\\NoInfo")).state, STATE_REFUSED);
  EXPECT_GE(key(kApp + "\\Zlast"), 0);
  EXPECT_EQ(reg.openHandleCount(), 0);
}

TEST_F(ReaderTest, GrownDataAreReadAndUnreadableNamesKeptAsRefused) {
  for (const char* name : {"first", "bad", "last"}) reg.putValue(kApp + "\\Z", name, 1, "1");
  for (const char* name : {"A", "Bad", "Z"}) reg.addKeyPath(kApp + "\\" + name);
  reg.putValue(kApp + "\\Z", "grows", 3, std::string(70000, 'g'));
  reg.understateMaxDataLength(kApp + "\\Z", 10);
  reg.failEnumValue(kApp + "\\Z", "bad", 1010);
  reg.failEnumKey(kApp + "\\Bad", 1010);
  read();
  EXPECT_EQ(shown().size(), 4u);  // the two unreadable names only
  EXPECT_EQ(valueDataLength(current(), value(kApp + "\\Z", "grows")), 70000);
  // They are there, refused, under the name the enumeration gave (none).
  EXPECT_EQ(rec(findChild(current(), key(kApp), "", false)).state, STATE_REFUSED);
  EXPECT_EQ(val(value(kApp + "\\Z", "")).state, STATE_REFUSED);
  EXPECT_EQ(rec(key(kApp + "\\Z")).valueCount, 4);
  expectSizesMatchRecount();
}

// Rules for the children of App alone: each key's node is its depth (HKEY_CURRENT_USER
// 0, App 2), so a rule answers only where the reader passes each key's node on.
uint16_t ruleByName(int32_t parentNode, const char* itemName, bool isValue, int32_t* node) {
  const int32_t depth = parentNode == kRuleParentOfRoots ? 0 : parentNode + 1;
  if (node != nullptr) *node = depth;
  if (parentNode != (isValue ? 3 : 2)) return 0;
  const std::string name = itemName;
  if (name == "NoRead") return kControlNotRead;
  if (name == "Hidden") return kControlHidden | kControlUserRule;
  if (name == "NoCheck") return kControlNotChecked | kControlSameName;
  if (name == "Target") return kControlAutoCheckTarget;
  if (name == "skipme") return kControlNotChecked;
  if (name == "Weird") return 7;  // not a code the rules give
  return 0;
}

TEST_F(ReaderTest, ControlWordsFromTheRules) {
  for (const char* name : {"NoRead", "Hidden", "NoCheck", "Target", "Weird", "Plain"}) {
    reg.addKeyPath(kApp + "\\" + name + "\\Child");
    reg.putValue(kApp + "\\" + name, "v", 1, "x");
  }
  reg.putValue(kApp + "\\Plain", "skipme", 1, "x");
  reg.putValue(kApp + "\\Plain\\NoRead", "skipme", 1, "x");  // a level too deep for both rules
  setControlRuleHook(&ruleByName);
  read();
  const ItemIndex noRead = key(kApp + "\\NoRead");
  EXPECT_EQ(rec(noRead).state, STATE_NOT_READ);
  EXPECT_EQ(rec(noRead).childCount, 0);
  EXPECT_EQ(rec(noRead).valueCount, 0);
  EXPECT_EQ(keyLastWrite(current(), noRead), 0u);
  EXPECT_EQ(rec(key(kApp + "\\Hidden")).state, STATE_HIDDEN);
  EXPECT_TRUE(rec(key(kApp + "\\Hidden")).summary & SUM_USER_RULE);
  EXPECT_EQ(rec(key(kApp + "\\NoCheck")).state, STATE_NOT_CHECKED);
  EXPECT_TRUE(rec(key(kApp + "\\NoCheck")).summary & SUM_SAME_NAME);
  const KeyRecord& target = rec(key(kApp + "\\Target"));
  EXPECT_EQ(target.state, STATE_NORMAL);
  EXPECT_EQ(target.summary & (SUM_AUTOCHECK_TARGET | SUM_CONTROLLED), SUM_AUTOCHECK_TARGET | SUM_CONTROLLED);
  EXPECT_EQ(rec(key(kApp + "\\Weird")).state, STATE_NORMAL);
  EXPECT_FALSE(rec(key(kApp + "\\Weird")).summary & SUM_CONTROLLED);
  const ItemIndex plain = key(kApp + "\\Plain");
  EXPECT_EQ(val(value(kApp + "\\Plain", "skipme")).state, STATE_NOT_CHECKED);
  EXPECT_TRUE(rec(plain).summary & SUM_CONTROLLED);
  EXPECT_TRUE(rec(key("HKEY_CURRENT_USER")).summary & SUM_CONTROLLED);
  EXPECT_GE(key(kApp + "\\Plain\\Child"), 0);
  EXPECT_EQ(rec(key(kApp + "\\Plain\\NoRead")).state, STATE_NORMAL);
  EXPECT_EQ(val(value(kApp + "\\Plain\\NoRead", "skipme")).state, STATE_DATA);
}

uint16_t watchedIsTarget(int32_t, const char* name, bool isValue, int32_t*) {
  return !isValue && std::strcmp(name, "Watched") == 0 ? kControlAutoCheckTarget : 0;
}

TEST_F(ReaderTest, AutoCheckReadsOnlyWhatTheAutoCheckDataHold) {
  const std::string software = kUser + "\\Software";
  reg.putValue(software, "sv", 1, "s");
  reg.putValue(software + "\\Watched", "w", 1, "old");
  reg.putValue(software + "\\Watched\\Inner", "i", 1, "old");
  reg.putValue(software + "\\Other\\Deep", "o", 1, "o");
  reg.addKeyPath("HKEY_LOCAL_MACHINE\\System\\X");
  options.keepValueData = true;
  setControlRuleHook(&watchedIsTarget);
  read();

  ASSERT_TRUE(buildAutoCheckData(9));
  EXPECT_TRUE(storesShareBlocks(current(), baseline()));
  EXPECT_EQ(keptData(baseline(), findValue(baseline(), software + "\\Watched", "w")), "old");
  EXPECT_GE(findValue(baseline(), software + "\\Watched\\Inner", "i"), 0);
  EXPECT_EQ(keyRecord(baseline(), registry_test::findKey(baseline(), software)).valueCount, 0);
  EXPECT_LT(registry_test::findKey(baseline(), software + "\\Other"), 0);
  const ItemIndex machine = registry_test::findKey(baseline(), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(keyRecord(baseline(), machine).state, STATE_NOT_READ);
  EXPECT_EQ(keyRecord(baseline(), machine).firstChild, kNoItem);

  // First automatic run against the auto-check data.
  reg.putValue(software + "\\Watched", "w", 1, "new");
  reg.addKeyPath(software + "\\Watched\\New");
  reg.putValue(software + "\\Other\\Deep", "o", 1, "changed");
  reg.putValue(software, "sv2", 1, "not read");
  reg.clearOpenedPaths();
  options.autoCheckOn = true;
  options.viewState = 1;
  ReadResult run = read();
  EXPECT_FALSE(openedAny(reg.openedPaths(), "Other"));
  EXPECT_FALSE(openedAny(reg.openedPaths(), "System"));
  EXPECT_TRUE(openedAny(reg.openedPaths(), "Watched\\Inner"));
  EXPECT_EQ(changeCounts(run.counts), "keys +1 -0, values ~1 +0 -0");
  EXPECT_EQ(rec(key(software)).itemCount, 5);  // Watched, its two subkeys, w and i

  // The next run compares with the previous one.
  reg.putValue(software + "\\Watched\\Inner", "i", 1, "newer");
  options.viewState = 5;
  run = read();
  EXPECT_EQ(changeCounts(run.counts), "keys +0 -0, values ~1 +0 -0");
  EXPECT_EQ(val(value(software + "\\Watched\\Inner", "i")).state, STATE_DATA_CHANGED);
  EXPECT_EQ(val(value(software + "\\Watched", "w")).state, STATE_DATA);
  EXPECT_TRUE(shown().empty());
}


// Keep-alive pumps of a read, and whether the next one reports a quit. The status text
// per top-level subkey takes a pacing interval, so the pacer is due soon after each.
int keepAlives = 0;
bool quitOnKeepAlive = false;
bool countKeepAlive() {
  ++keepAlives;
  return quitOnKeepAlive;
}
void slowStatus(const char* text) {
  registry_test::recordStatus(text);
  std::this_thread::sleep_for(std::chrono::milliseconds(kProgressIntervalMs + 5));
}

TEST_F(ReaderTest, LongReadsKeepTheWindowAliveShowProgressAndStopAtOnceOnAQuit) {
  for (int i = 0; i < 120; ++i) {
    reg.addKeyPath(kUser + "\\" + "ABC"[i / 40] + "\\s" + std::to_string(i));
  }
  reg.addKeyPath("HKEY_LOCAL_MACHINE\\SOFTWARE");
  setStatusTextHook(&slowStatus);
  setKeepAliveHook(&countKeepAlive);
  for (bool quit : {false, true}) {
    keepAlives = 0;
    quitOnKeepAlive = quit;
    const ReadResult result = read();
    EXPECT_EQ(result.stoppedEarly, quit);
    EXPECT_EQ(reg.openHandleCount(), 0);
    EXPECT_EQ(key("HKEY_LOCAL_MACHINE\\SOFTWARE") >= 0, !quit);
    EXPECT_EQ(keepAlives == 1, quit) << keepAlives;
    expectSizesMatchRecount();  // the keys left open by the quit too
  }
  const auto& texts = registry_test::recordedStatus();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
    return text.rfind(kUser + "\\A", 0) == 0 && text.find(" キー)") != std::string::npos;
  }));
}

TEST_F(ReaderTest, DeepTreesAreReadWithoutRecursionAndBoundedAt512Levels) {
  std::string path = kApp;
  for (int level = 0; level < 600; ++level) path += "\\k";
  reg.addKeyPath(path);
  read();
  EXPECT_EQ(reg.openHandleCount(), 0);
  // HKEY_CURRENT_USER is level 0, Software 1, App 2: "k" keys start at level 3.
  std::string at = kApp;
  for (int level = 3; level <= 512; ++level) at += "\\k";
  const ItemIndex last = key(at);
  ASSERT_GE(last, 0);
  EXPECT_EQ(rec(last).state, STATE_NORMAL);
  const ItemIndex beyond = rec(last).firstChild;
  ASSERT_GE(beyond, 0);
  EXPECT_EQ(rec(beyond).state, STATE_NOT_READ);
  EXPECT_EQ(rec(beyond).firstChild, kNoItem);
  EXPECT_EQ(countItems(current(), 0), 5 + 2 + 510 + 1);
}

TEST_F(ReaderTest, ReadValueLiveFollowsLongPathsAndGrownValues) {
  std::string path = kApp;
  for (int level = 0; level < 20; ++level) path += "\\a_rather_long_key_name";
  ASSERT_GT(path.size(), 400u);
  reg.putValue(path, "v", 3, "12345");
  reg.putValue(path, "empty", 3, "");
  read();
  const ItemIndex v = value(path, "v");
  ASSERT_GE(v, 0);
  reg.putValue(path, "v", 3, std::string(10000, 'z'));  // grown since the read
  reg.clearOpenedPaths();
  LiveValue live = readValueLive(current(), v, LiveRead::kWithPath);
  EXPECT_TRUE(live.read);
  EXPECT_EQ(live.type, 3u);
  EXPECT_EQ(live.data.size(), 10000u);
  EXPECT_EQ(live.path, path);
  EXPECT_EQ(reg.openHandleCount(), 0);

  const ItemIndex empty = value(path, "empty");
  live = readValueLive(current(), empty, LiveRead::kStoredEmpty);
  EXPECT_TRUE(live.read);
  EXPECT_TRUE(live.data.empty());
  EXPECT_EQ(reg.openedPaths().size(), 1u);  // answered without the registry
  reg.putValue(path, "empty", 3, "now");
  live = readValueLive(current(), empty, LiveRead::kAlways);
  EXPECT_EQ(std::string(live.data.begin(), live.data.end()), "now");

  reg.removeValue(path, "v");
  EXPECT_FALSE(readValueLive(current(), v, LiveRead::kStoredEmpty).read);
  EXPECT_TRUE(shown().empty());
  reg.removeKeyTree(kApp);
  EXPECT_FALSE(readValueLive(current(), v, LiveRead::kStoredEmpty).read);
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_EQ(shown()[0].text.substr(shown()[0].text.find('\n') + 1), path + " : v");
  EXPECT_EQ(shown()[1].text, "rc=2 size=-3");
}

}  // namespace
