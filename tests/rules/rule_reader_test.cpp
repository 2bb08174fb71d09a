// The registry reader obeying the rules: read an in-memory registry through the real
// reader with the rule hook installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "engine/store_walk.h"
#include "rules/rule_apply.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "tests/engine/registry_test_support.h"
#include "tests/rules/rule_test_support.h"

namespace {

const std::string kSoftware = "HKEY_LOCAL_MACHINE\\SOFTWARE";
const std::string kUser = "HKEY_USERS\\S-1-5-21-3623811015-3361044348-30300820-1001";

class RuleReaderTest : public registry_test::RegistryReadTest {
 protected:
  void SetUp() override {
    RegistryReadTest::SetUp();
    resetRules();
    installRuleHooks();
  }
  void TearDown() override {
    setItemControlRecorder(nullptr);
    resetRules();
    RegistryReadTest::TearDown();
  }

  bool opened(const std::string& path) {
    const auto& paths = reg.openedPaths();
    return std::find(paths.begin(), paths.end(), path) != paths.end();
  }

  // "path" -> state and rule summary bits, for every controlled key and value.
  std::map<std::string, int> controlled() {
    std::map<std::string, int> states;
    SnapshotStore& store = current();
    store_walk::walkAllKeys(store, [&](ItemIndex at) {
      const KeyRecord& k = keyRecord(store, at);
      const int bits = k.summary & (SUM_AUTOCHECK_TARGET | SUM_SAME_NAME | SUM_USER_RULE);
      if (k.state != 0 || bits != 0) states[buildItemPath(store, at, 2)] = k.state | bits << 8;
      store_walk::forEachValue(store, at, [&](ItemIndex v, ValueRecord& value) {
        if (value.state != STATE_DATA) states[buildItemPath(store, at, 2) + " : " + valueName(store, v)] = value.state;
      });
      return true;
    });
    return states;
  }
};

TEST_F(RuleReaderTest, ControlCode1StopsTheReadOfAKeysContents) {
  reg.putValue(kSoftware + "\\Skip", "Inside", 1, std::string("x\0", 2));
  reg.addKeyPath(kSoftware + "\\Skip\\Child\\Grandchild");
  reg.addKeyPath(kSoftware + "\\Keep\\Child");
  reg.addKeyPath(kUser + "\\Software");
  reg.addKeyPath("HKEY_USERS\\S-1-5-18\\Software");
  const std::string text =
      "[NoReadSame]\n"
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Skip\n"
      "HKEY_USERS\\\\\\s\n";
  RuleFileSwitches switches = rule_test::allSwitches(false);
  switches.skipDuplicates = true;
  parseKeyControlText(text.data(), text.size(), switches, nullptr);

  read();
  EXPECT_TRUE(shown().empty());
  const ItemIndex skip = key(kSoftware + "\\Skip");
  ASSERT_GE(skip, 0);
  EXPECT_EQ(rec(skip).state, STATE_NOT_READ);
  EXPECT_EQ(rec(skip).firstChild, kNoItem);
  EXPECT_EQ(rec(skip).firstValue, kNoItem);
  EXPECT_EQ(keyLastWrite(current(), skip), 0u);
  EXPECT_FALSE(opened(kSoftware + "\\Skip\\Child"));
  EXPECT_TRUE(rec(skip).summary & SUM_CONTROLLED);
  EXPECT_TRUE(rec(key(kSoftware)).summary & SUM_CONTROLLED);
  EXPECT_TRUE(rec(3).summary & SUM_CONTROLLED);

  EXPECT_GE(key(kSoftware + "\\Keep\\Child"), 0);
  EXPECT_FALSE(rec(key(kSoftware + "\\Keep")).summary & SUM_CONTROLLED);

  EXPECT_EQ(rec(key(kUser)).state, STATE_NOT_READ);
  EXPECT_EQ(key(kUser + "\\Software"), kNoItem);
  EXPECT_GE(key("HKEY_USERS\\S-1-5-18\\Software"), 0);
  EXPECT_EQ(reg.openHandleCount(), 0);
}

}  // namespace
