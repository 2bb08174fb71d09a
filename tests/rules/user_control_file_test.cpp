// userCtrl.dat: the byte layout, what a save and a load bring back, damaged files, and
// the safe replacement of the file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "rules/options.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "tests/rules/rule_test_support.h"

namespace {

namespace fs = std::filesystem;
using rule_test::addPath;
using rule_test::allSwitches;
using rule_test::dumpRules;
using rule_test::parseText;
using Dump = std::map<std::string, std::string>;

const char kShipped[] =
    "[NoCheck]\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Shipped\n"
    "HKEY_USERS\\\\\\s\\Software\\Cache\n";

void putU32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

class UserControlTest : public rule_test::RuleTest {
 protected:
  // keyCtrl rules and the user's rules of every kind on top of them.
  void buildUserRules() {
    parseText(kShipped, allSwitches(true));
    addPath("HKEY_LOCAL_MACHINE|SOFTWARE|Mine", CONTROL_NOT_READ, kRuleSetUser);
    addPath("HKEY_LOCAL_MACHINE|SOFTWARE|Shipped|Sub", CONTROL_HIDDEN, kRuleSetUser);
    addPath("HKEY_USERS|S-1-5-21-1-2-3-1001|Software|Cache|Inner", CONTROL_AUTOCHECK_TARGET, kRuleSetUser);
    addPath("HKEY_CURRENT_USER|A|B|C|Deep", CONTROL_NOT_CHECKED, kRuleSetUser);
    setRuleFlags(addPath("HKEY_CURRENT_USER|A|Val", CONTROL_NOT_CHECKED, kRuleSetUser), RULE_VALUE,
                 RULE_KEY);
    setRuleFlags(addRule(sameKeysNode(), "Temp", CONTROL_NOT_CHECKED, kRuleSetUser), RULE_SAME_NAME, 0);
    addRule(kNoRule, "HKEY_CURRENT_CONFIG", CONTROL_NOT_READ, kRuleSetUser);
    // A rule the user set and took back again: neither it nor its path returns.
    addPath("HKEY_CURRENT_USER|Off|Leaf", CONTROL_NOT_CHECKED, kRuleSetUser);
    addPath("HKEY_CURRENT_USER|Off|Leaf", CONTROL_NONE, kRuleSetUser);
  }

  fs::path file() const { return folder_ / "userCtrl.dat"; }
  rule_test::TempFolder temp_;
  const fs::path& folder_ = temp_.path;
};

// A hand-made image: records as {depth, code, flags, parent, next, child, name offset}.
std::vector<uint8_t> craft(const std::vector<std::vector<int64_t>>& records, const std::string& names,
                           uint32_t blocks = 1, uint32_t blockSize = 65536) {
  std::vector<uint8_t> bytes;
  putU32(bytes, 0x00011201);
  putU32(bytes, static_cast<uint32_t>(records.size()));
  putU32(bytes, blocks);
  putU32(bytes, blockSize);
  for (const auto& r : records) {
    bytes.push_back(static_cast<uint8_t>(r[0]));
    bytes.push_back(static_cast<uint8_t>(r[1]));
    bytes.push_back(static_cast<uint8_t>(r[2]));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(r[6]) >> 16));
    for (int field = 3; field < 7; ++field) putU32(bytes, static_cast<uint32_t>(r[static_cast<size_t>(field)]));
  }
  bytes.insert(bytes.end(), names.begin(), names.end());
  return bytes;
}

TEST_F(UserControlTest, ByteLayout) {
  const RuleIndex software = addRule(3, "Software", CONTROL_NONE, kRuleEnsure);
  addRule(software, "Foo", CONTROL_NOT_CHECKED, kRuleSetUser);
  std::vector<uint8_t> image;
  encodeUserControl(image);
  const std::string names(
      "HKEY_CLASSES_ROOT\0HKEY_CURRENT_CONFIG\0HKEY_CURRENT_USER\0HKEY_LOCAL_MACHINE\0"
      "HKEY_USERS\0SPECIAL_SETTINGS\0SAME_KEYS\0Software\0Foo\0", 126);
  EXPECT_EQ(image, craft({{0, 0, 1, -1, 1, -1, 0},
                          {0, 0, 1, -1, 2, -1, 18},
                          {0, 0, 1, -1, 3, -1, 38},
                          {0, 0, 1, -1, 4, 7, 56},
                          {0, 0, 1, -1, 5, -1, 75},
                          {0, 0, 1, -1, -1, 6, 86},
                          {1, 0, 1, 5, -1, -1, 103},
                          {1, 0, 1, 3, -1, 8, 113},
                          {2, 3, 0x41, 7, -1, -1, 122}},
                         names));
  EXPECT_EQ(image.size(), 16u + 9u * 20u + 126u);
}

TEST_F(UserControlTest, SaveAndLoadRestoreExactlyTheUserRulesAndTheirPaths) {
  buildUserRules();
  Dump expected = dumpRules();
  expected.erase("HKEY_CURRENT_USER|Off");
  expected.erase("HKEY_CURRENT_USER|Off|Leaf");
  ASSERT_TRUE(saveUserControlFile(file().string()));
  EXPECT_FALSE(fs::exists(file().string() + ".tmp"));

  // With the same shipped rules loaded first, the store is rebuilt without duplicates.
  resetRules();
  parseText(kShipped, allSwitches(true));
  ASSERT_TRUE(loadUserControlFile(file().string()));
  EXPECT_EQ(dumpRules(), expected);

  // loadRuleFiles reads the file only when the option says so.
  std::ofstream(folder_ / "keyCtrl.txt", std::ios::binary) << kShipped;
  const std::string folder = folder_.string() + "/";
  RuleFileSwitches switches = allSwitches(true);
  switches.applyUserControl = false;
  resetRules();
  loadRuleFiles(switches, folder);
  EXPECT_EQ(rule_test::findPath("HKEY_LOCAL_MACHINE|SOFTWARE|Mine"), kNoRule);
  resetRules();
  loadRuleFiles(allSwitches(true), folder);
  EXPECT_EQ(dumpRules(), expected);
}

TEST_F(UserControlTest, EveryFlippedByteEndsInAFullLoadOrNone) {
  buildUserRules();
  std::vector<uint8_t> image;
  encodeUserControl(image);
  resetRules();
  const Dump empty = dumpRules();
  int refused = 0;
  for (size_t at = 0; at < image.size(); ++at) {
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> damaged = image;
      damaged[at] = static_cast<uint8_t>(damaged[at] ^ mask);
      resetRules();
      if (decodeUserControl(damaged.data(), damaged.size())) {
        dumpRules();  // checks the store's invariants
      } else {
        ++refused;
        ASSERT_EQ(dumpRules(), empty) << "byte " << at;
      }
    }
  }
  EXPECT_GT(refused, 0);
}

TEST_F(UserControlTest, DamagedFilesAreIgnoredWhole) {
  const std::string names("Top\0Kid\0", 8);
  const std::vector<std::vector<int64_t>> good = {{0, 0, 1, -1, -1, 1, 0}, {1, 3, 0x41, 0, -1, -1, 4}};
  ASSERT_TRUE(decodeUserControl(craft(good, names).data(), craft(good, names).size()));
  resetRules();
  const Dump before = dumpRules();
  const struct {
    const char* what;
    std::vector<uint8_t> image;
  } cases[] = {
      {"sibling loop", craft({{0, 0, 1, -1, 0, 1, 0}, {1, 3, 0x41, 0, -1, -1, 4}}, names)},
      {"child loop", craft({{0, 0, 1, -1, -1, 1, 0}, {1, 3, 0x41, 0, -1, 0, 4}}, names)},
      {"wrong parent", craft({{0, 0, 1, -1, -1, 1, 0}, {1, 3, 0x41, 1, -1, -1, 4}}, names)},
      {"wrong depth", craft({{0, 0, 1, -1, -1, 1, 0}, {2, 3, 0x41, 0, -1, -1, 4}}, names)},
      {"link outside", craft({{0, 0, 1, -1, -1, 2, 0}, {1, 3, 0x41, 0, -1, -1, 4}}, names)},
      {"record not linked", craft({{0, 0, 1, -1, -1, -1, 0}, {1, 3, 0x41, 0, -1, -1, 4}}, names)},
      {"unknown code", craft({{0, 0, 1, -1, -1, 1, 0}, {1, 7, 0x41, 0, -1, -1, 4}}, names)},
      {"name outside", craft({{0, 0, 1, -1, -1, 1, 0}, {1, 3, 0x41, 0, -1, -1, 8}}, names)},
      {"name past the names", craft({{0, 0, 1, -1, -1, 1, 0}, {1, 3, 0x41, 0, -1, -1, 12}}, names)},
      {"name in another block", craft({{0, 0, 1, -1, -1, 1, 0}, {1, 3, 0x41, 0, -1, -1, 0x10004}}, names, 2)},
      {"name too long", craft({{0, 0, 1, -1, -1, -1, 0}}, std::string(300, 'x') + '\0')},
      {"name unterminated", craft({{0, 0, 1, -1, -1, -1, 0}}, "Top")},
      {"block size", craft(good, names, 1, 4096)},
      {"too many blocks", craft(good, names, 257)},
      {"records without names", craft(good, "", 0)},
      {"huge count", [] {
         std::vector<uint8_t> bytes;
         putU32(bytes, 0x00011201);
         putU32(bytes, 0xFFFFFFFFu);
         putU32(bytes, 1);
         putU32(bytes, 65536);
         return bytes;
       }()},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(decodeUserControl(c.image.data(), c.image.size())) << c.what;
    EXPECT_EQ(dumpRules(), before) << c.what;
  }
  // An empty store image is fine and adds nothing.
  const std::vector<uint8_t> none = craft({}, "", 0);
  EXPECT_TRUE(decodeUserControl(none.data(), none.size()));
  EXPECT_EQ(dumpRules(), before);
}

TEST_F(UserControlTest, AFailedSaveLeavesTheOldFile) {
  buildUserRules();
  ASSERT_TRUE(saveUserControlFile(file().string()));
  const std::vector<uint8_t> saved = rule_test::fileBytes(file());
  ASSERT_FALSE(saved.empty());

  // The folder is gone: nothing written, nothing left behind.
  EXPECT_FALSE(saveUserControlFile((folder_ / "missing" / "userCtrl.dat").string()));
  // The target cannot be replaced (a folder stands in its place).
  fs::create_directory(folder_ / "blocked.dat");
  EXPECT_FALSE(saveUserControlFile((folder_ / "blocked.dat").string()));
  EXPECT_TRUE(fs::is_directory(folder_ / "blocked.dat"));
  EXPECT_FALSE(fs::exists(folder_ / "blocked.dat.tmp"));

  // A later save replaces the file whole.
  addPath("HKEY_LOCAL_MACHINE|More", CONTROL_HIDDEN, kRuleSetUser);
  ASSERT_TRUE(saveUserControlFile(file().string()));
  EXPECT_GT(rule_test::fileBytes(file()).size(), saved.size());
  EXPECT_FALSE(fs::exists(file().string() + ".tmp"));
}

}  // namespace
