// Byte-exact listings over snapshots compared by the real engine: the change list
// with its aligned old data, the value entry of each kind, the key structure list
// with its reminders, the search result list, and the limits of the text block.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/view_state.h"
#include "platform/memory/memory_clipboard.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory/recording_shell.h"
#include "platform/memory_registry.h"
#include "tests/engine/two_stores.h"
#include "text/auto_check_log.h"
#include "text/listing_copy.h"
#include "text/listings.h"
#include "text/reg_export.h"

namespace {

// A baseline and a current store built from paths, compared by the real comparison
// engine, and a fixed header time.
class ListingTest : public two_stores::TwoStoreTest {
 protected:
  void SetUp() override {
    TwoStoreTest::SetUp();
    context = {VIEW_STATE_FILE_COMPARED, false, "before.rsv", "after.rsv", {2026, 3, 4, 5, 6, 7}};
  }
  using TwoStoreTest::value;
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         uint32_t type, const std::string& data, bool keep = true) {
    return TwoStoreTest::value(store, keyPath, name, data, type, keep);
  }
  void compare(bool keysOnly = false) { TwoStoreTest::compare({keysOnly, false}); }

  ListingContext context;
};

std::string text(const ListingText& listing) { return std::string(listing.text(), listing.length()); }

const char kApp[] = "HKEY_CURRENT_USER\\Software\\App";

class ChangeListTest : public ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    // name, baseline data, current data ("-" none), type, kept
    const struct { const char* name; std::string old, now; uint32_t type; bool keep; } rows[] = {
        {"", {"d\0", 2}, {"e\0", 2}, kRegSz, true},
        {"Big", "aaaa", "bbbb", 3, false},
        {"Color", {"red\0", 4}, {"blue\0", 5}, kRegSz, true},
        {"Gone", {"x\0", 2}, "-", kRegSz, true},
        {"New", "-", {"n\0", 2}, kRegSz, true},
        {"Size", {"\1\0\0\0", 4}, {"\2\0\0\0", 4}, kRegDword, true},
        {"Same", "s", "s", kRegSz, true}};
    for (const auto& row : rows) {
      if (row.old != "-") value(base(), kApp, row.name, row.type, row.old, row.keep);
      if (row.now != "-") value(cur(), kApp, row.name, row.type, row.now, row.keep);
    }
    value(base(), std::string(kApp) + "\\Old", "v", kRegSz, "1");
    value(cur(), std::string(kApp) + "\\日本語キー", "名前", kRegSz, std::string("値\0", 3));
    compare();
  }
};

const char kChangeHeader[] =
    "変化分のリスト　（2026年 3月 4日 5時 6分）\r\n基準データ： before.rsv\r\n比較データ： after.rsv\r\n";
// A ghost value keeps no data of its own; a changed value whose baseline data was
// not kept (Big) gets no old-data line.
const char kAppChanges[] =
    "　　 [HKEY_CURRENT_USER\\Software\\App]\r\n"
    "変化   (標準) := e\r\n"
    "             旧= d\r\n"
    "変化   Big := \r\n"
    "変化   Color := blue\r\n"
    "            旧= red\r\n"
    "削除   Gone := \r\n"
    "           旧= x\r\n"
    "追加   New := n\r\n"
    "変化   Size := 0x00000002 (2)\r\n"
    "           旧= 0x00000001 (1)\r\n"
    "\r\n"
    "削除 [HKEY_CURRENT_USER\\Software\\App\\Old]\r\n"
    "\r\n"
    "追加 [HKEY_CURRENT_USER\\Software\\App\\日本語キー]\r\n"
    "追加   名前 := 値\r\n"
    "\r\n";

TEST_F(ChangeListTest, AllRootsAndOneKeyListEveryChangeWithOldDataAligned) {
  EXPECT_EQ(text(changeList(cur(), base(), -1, context)),
            std::string(kChangeHeader) + "選択キー： 全て\r\n\r\n" + kAppChanges);
  EXPECT_EQ(text(changeList(cur(), base(), key(cur(), kApp), context)),
            std::string(kChangeHeader) + "選択キー： [" + kApp + "]\r\n\r\n\r\n" + kAppChanges);
}

struct EntryCase {
  const char* label;
  uint32_t type;
  std::string data;
  bool keep;
  uint16_t viewState;
  std::string expected;  // after the header, or the whole text after a leading '!'
};
class ValueEntryTest : public ListingTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(ValueEntryTest, RendersTheValueData) {
  const EntryCase& c = GetParam();
  platform::MemoryRegistry reg;  // holds 名 = "live"; "gone" is missing there
  reg.putValue(kApp, "名", kRegSz, std::string("live\0", 5));
  platform::setRegistrySeam(&reg);
  context.viewState = c.viewState;
  const char* name = std::string(c.label) == "gone" ? "gone" : "名";
  const std::string listing =
      text(valueEntryListing(cur(), value(cur(), kApp, name, c.type, c.data, c.keep), context));
  platform::setRegistrySeam(nullptr);
  const std::string header = "エントリ値　（2026年 3月 4日 5時 6分）\r\n選択キー： [" +
                             std::string(kApp) + "]\r\nエントリ： 名\r\n\r\n";
  EXPECT_EQ(listing, c.expected[0] == '!' ? c.expected.substr(1) : header + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueEntryTest,
    ::testing::Values(
        EntryCase{"text", kRegSz, {"テキスト\0junk", 13}, true, 3, "!テキスト"},
        EntryCase{"dword", kRegDword, "\xff\xff\xff\xff", true, 3, "0xFFFFFFFF (-1)\n"},
        EntryCase{"multi", kRegMultiSz, {"a\0bc\0\0", 6}, true, 3, "a\r\nbc\r\n"},
        // A byte that is no printable character is a blank on the right.
        EntryCase{"binary", 3, "\x01" + std::string(20, 'A'), true, 3,
                  "     0: 01 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41    "
                  "AAAAAAAAAAAAAAAAAAA\r\n    20: 41 " + std::string(59, ' ') + "A\r\n"},
        EntryCase{"digest", kRegSz, "xyz", false, 3, "!≪値無し≫"},
        EntryCase{"live", kRegSz, "xyz", false, 5, "!live"},
        EntryCase{"gone", kRegSz, "xyz", false, 5, "!"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ListingTest, KeyStructureListShowsDepthsValuesAndSkipsGhosts) {
  context.showValueItems = true;
  value(cur(), "HKEY_CURRENT_USER\\A\\B", "", kRegDword, {"\1\0\0\0", 4});
  valueRecord(cur(), value(cur(), "HKEY_CURRENT_USER\\A\\B", "old", kRegSz, "x")).state =
      STATE_VALUE_DELETED;
  keyRecord(cur(), key(cur(), "HKEY_CURRENT_USER\\A\\Ghost\\Below")).state = STATE_DELETED;
  keyRecord(cur(), key(cur(), "HKEY_CURRENT_USER\\A\\Ghost")).state = STATE_DELETED;
  EXPECT_EQ(text(keyStructureList(cur(), key(cur(), "HKEY_CURRENT_USER"), context)),
            "キー構成リスト　（2026年 3月 4日 5時 6分）\r\n選択キー： [HKEY_CURRENT_USER]\r\n\r\n\r\n"
            " 0  HKEY_CURRENT_USER\r\n 1  A\r\n 2 . B\r\n       (標準) := 0x00000001 (1)\r\n");
}

TEST_F(ListingTest, KeyStructureListRemindsOfThePlaceEveryEightyLines) {
  for (int i = 0; i < 85; ++i) key(cur(), "HKEY_USERS\\P\\K" + std::to_string(10 + i));
  const std::string listing = text(keyStructureList(cur(), key(cur(), "HKEY_USERS"), context));
  // The root, P and K10-K87 make 80 lines; K88 follows the reminder of its parent.
  EXPECT_NE(listing.find(" 2 . K87\r\n\r\n[HKEY_USERS\\P]\r\n\r\n 2 . K88\r\n"), std::string::npos)
      << listing;
  EXPECT_EQ(listing.find("[HKEY_USERS\\P]", listing.find("K88")), std::string::npos);
}

TEST_F(ListingTest, SearchResultListGroupsHitsByKey) {
  valueFlags(cur(), value(cur(), kApp, "Find", kRegSz, {"me\0", 3})) = VIEW_HIT;
  value(cur(), kApp, "Other", kRegSz, "x");
  keyFlags(cur(), key(cur(), "HKEY_CURRENT_USER\\Software\\検索")) = VIEW_HIT;
  for (const char* path : {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\Software", kApp}) {
    keyFlags(cur(), key(cur(), path)) = VIEW_HIT_BELOW;
  }
  const std::string title = "検索結果リスト　（2026年 3月 4日 5時 6分）\r\n";
  const std::string body = " [" + std::string(kApp) + "]\r\n    Find := me\r\n\r\n"
                           "*[HKEY_CURRENT_USER\\Software\\検索]\r\n\r\n";
  EXPECT_EQ(text(searchResultList(cur(), context, "me", false)),
            title + "検索テキスト： 'me'\r\n\r\n" + body);
  EXPECT_EQ(text(searchResultList(cur(), context, "me", true)),
            title + "不在ファイル検索：\r\n\r\n" + body);
}

TEST_F(ListingTest, ListingAboveTheBlockLimitWarnsAndCopiesNothing) {
  platform::ScopedClipboard clipboard;
  platform::ScopedMessages messages;
  context.showValueItems = true;
  // 60,000 value lines of about 150 bytes pass the 8 MiB of one block. Falling names
  // go to the front of the list, so filling stays quick.
  const ItemIndex wide = key(cur(), "HKEY_USERS\\Wide");
  for (int i = 0; i < 60000; ++i) {
    assignValueData(cur(), addValue(cur(), wide, ("v" + std::to_string(199999 - i)).c_str()),
                    reinterpret_cast<const uint8_t*>(std::string(42, 'x').data()), 42, 3, true);
  }
  EXPECT_FALSE(copyListingToClipboard(keyStructureList(cur(), wide, context),
                                      ListingWarning::kKeyStructure));
  EXPECT_EQ(clipboard.board.copies, 0);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "キー構成のコピー");
}

// A second pass longer than the first (the registry changed in between) is cut at
// the measured size instead of overrunning the block.
TEST(ListingBlock, SecondPassNeverWritesPastTheMeasuredSize) {
  initMemoryPool();
  int pass = 0;
  const ListingText listing = buildListing([&](ListingSink& out) {
    out.put(++pass == 1 ? "short" : "much longer text");
    out.spaces(pass == 1 ? 2 : 100);
  });
  EXPECT_EQ(text(listing), "much lo");
}

}  // namespace

// The auto-check log: exact result blocks (no change, key structure only, details
// with old data, controlled keys), CR LF bytes on disk, appending only, the size
// warning at its bound, and the clear and show commands.

namespace {

const char kStars[] = "★★★★★★★★★★★★★★★★★★★★★★★★★★★★★★";
const std::string kTarget = "HKEY_LOCAL_MACHINE\\Software\\Watch";

std::string readFile(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

class AutoCheckLogTest : public ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    std::remove(path.c_str());
    run.viewState = VIEW_STATE_LIVE_COMPARED;
    run.now = {2026, 12, 7, 9, 5, 3};
  }
  void TearDown() override {
    std::remove(path.c_str());
    ListingTest::TearDown();
  }
  void compareAndCount(bool keysOnly = false) {
    compare(keysOnly);
    run.keysOnly = keysOnly;
    run.counts = takeStatusCounts(cur(), keysOnly);
  }
  void changeValue(const std::string& keyPath, const char* name) {
    value(base(), keyPath, name, kRegSz, std::string("1\0", 2));
    value(cur(), keyPath, name, kRegSz, std::string("2\0", 2));
  }

  std::string path = autoCheckLogPath(::testing::TempDir());
  AutoCheckRun run;
};

TEST_F(AutoCheckLogTest, BlocksAreAppendedWithDetailsAndOldData) {
  std::ofstream(path, std::ios::binary) << "earlier\r\n";
  changeValue(kTarget, "");
  value(base(), kTarget, "Lost", kRegSz, "gone", false);
  value(cur(), kTarget + "\\子キー", "値", kRegDword, std::string("\x05\0\0\0", 4));
  key(base(), kTarget + "\\Removed");
  compareAndCount();
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  const std::string block = std::string(kStars) +
                            "\r\n自動チェックの結果：　2026.12.07 09:05:03\r\n"
                            "追加key 1, 削除key 1, 不一致 1, 追加 1, 削除 1\r\n\r\n"
                            "　　 [" + kTarget + "]\r\n"
                            "変化   (標準) := 2\r\n"
                            "             旧= 1\r\n"
                            "削除   Lost := \r\n\r\n"
                            "削除 [" + kTarget + "\\Removed]\r\n\r\n"
                            "追加 [" + kTarget + "\\子キー]\r\n"
                            "追加   値 := 0x00000005 (5)\r\n\r\n";
  EXPECT_EQ(readFile(path), "earlier\r\n" + block + block);
}

// Not-checked keys get a line of their own; not-read and refused keys are skipped with
// everything below them, even changed values.
TEST_F(AutoCheckLogTest, ControlledKeysAreWrittenOrSkippedByTheirState) {
  const struct { const char* name; uint8_t state; } keys[] = {
      {"\\Unchecked", STATE_NOT_CHECKED}, {"\\Unread", STATE_NOT_READ}, {"\\Refused", STATE_REFUSED}};
  for (const auto& k : keys) changeValue(kTarget + k.name, "v");
  compareAndCount();
  for (const auto& k : keys) keyRecord(cur(), key(cur(), kTarget + k.name)).state = k.state;
  const std::string block = autoCheckResultBlock(cur(), base(), run);
  EXPECT_NE(block.find("\n\n未調 [" + kTarget + "\\Unchecked]\n変化   v := 2\n"), std::string::npos)
      << block;
  EXPECT_EQ(block.find("Unread"), std::string::npos);
  EXPECT_EQ(block.find("Refused"), std::string::npos);
}

TEST_F(AutoCheckLogTest, SizeWarningStartsAboveOneMillionBytes) {
  platform::ScopedMessages messages;
  EXPECT_FALSE(warnIfLogLarge(path));  // no log at all
  std::ofstream(path, std::ios::binary) << std::string(1000000, 'x');
  EXPECT_FALSE(warnIfLogLarge(path));
  std::ofstream(path, std::ios::binary | std::ios::app) << 'x';
  EXPECT_TRUE(warnIfLogLarge(path));
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "自動チェック");
}

TEST_F(AutoCheckLogTest, ClearAsksFirstAndShowHandsTheLogToTheShell) {
  platform::ScopedMessages messages;
  platform::ScopedShell shell;
  std::ofstream(path, std::ios::binary) << "log\r\n";
  messages.recorder.answers = {platform::kAnswerNo, platform::kAnswerYes};
  EXPECT_FALSE(clearAutoCheckLog(path));
  EXPECT_TRUE(showAutoCheckLog(path));
  EXPECT_TRUE(clearAutoCheckLog(path));
  EXPECT_FALSE(autoCheckLogExists(path));
  EXPECT_EQ(messages.recorder.shown[0].caption, "自動チェックログクリア");
  ASSERT_EQ(shell.shell.requests.size(), 1u);
  EXPECT_EQ(shell.shell.requests[0].verb + shell.shell.requests[0].file, "open" + path);
}

TEST(AutoCheckLogPath, SeparatorIsAddedOnlyWhenMissing) {
  EXPECT_EQ(autoCheckLogPath("C:\\data\\"), "C:\\data\\ケストリンログ.txt");
  // "表" is 0x95 0x5C in cp932: its trail byte is no separator.
  EXPECT_EQ(autoCheckLogPath("C:\\表"), "C:\\表\\ケストリンログ.txt");
}

}  // namespace

// The .reg writer: escaping, every registry type in both encodings, long hex lists,
// and whole files for redo and undo of one comparison.

namespace {

std::string sz(const char* text) { return std::string(text, std::strlen(text) + 1); }

struct QuoteCase {
  std::string in;
  std::string out;
};

TEST(RegQuoted, EscapesBackslashesAndQuotesButNotTrailBytes) {
  const QuoteCase cases[] = {
      {"plain", "\"plain\""},
      {"a\\b", "\"a\\\\b\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"", "\"\""},
      // 表 and ソ end in 0x5C: the trail byte belongs to the character.
      {"表", "\"表\""},
      {"ソ\\", "\"ソ\\\\\""},
      {"C:\\表\\x", "\"C:\\\\表\\\\x\""},
      // A lone lead byte at the end is copied as it is.
      {"a\x95", "\"a\x95\""},
  };
  for (const QuoteCase& c : cases) EXPECT_EQ(regQuoted(c.in), c.out) << c.in;
}

struct SettingCase {
  const char* name;
  uint32_t type;
  std::string data;
  const char* regedit4;
  const char* unicode;
};

TEST(RegValueSetting, EveryTypeInBothEncodings) {
  const SettingCase cases[] = {
      {"v", 1, sz("abc"), "\"v\"=\"abc\"", "\"v\"=\"abc\""},
      {"", 1, sz("x"), "@=\"x\"", "@=\"x\""},
      // Text a quoted string cannot carry goes as hex(1).
      {"v", 1, std::string("ab"), "\"v\"=hex(1):61,62", "\"v\"=hex(1):61,00,62,00"},
      {"v", 1, sz("a\rb"), "\"v\"=hex(1):61,0d,62,00", "\"v\"=hex(1):61,00,0d,00,62,00,00,00"},
      {"v", 1, std::string("a\0b\0", 4), "\"v\"=hex(1):61,00,62,00",
       "\"v\"=hex(1):61,00,00,00,62,00,00,00"},
      {"v", 1, std::string(), "\"v\"=hex(1):", "\"v\"=hex(1):"},
      {"v", 2, sz("%p%"), "\"v\"=hex(2):25,70,25,00", "\"v\"=hex(2):25,00,70,00,25,00,00,00"},
      {"v", 2, sz("表"), "\"v\"=hex(2):95,5c,00", "\"v\"=hex(2):68,88,00,00"},
      {"v", 7, std::string("a\0b\0\0", 5), "\"v\"=hex(7):61,00,62,00,00",
       "\"v\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
      {"v", 3, std::string("\x01\xff", 2), "\"v\"=hex:01,ff", "\"v\"=hex:01,ff"},
      {"v", 4, std::string("\x78\x56\x34\x12", 4), "\"v\"=dword:12345678",
       "\"v\"=dword:12345678"},
      {"v", 4, std::string("\x01\x02\x03", 3), "\"v\"=hex(4):01,02,03", "\"v\"=hex(4):01,02,03"},
      {"v", 5, std::string("\x12\x34\x56\x78", 4), "\"v\"=hex(5):12,34,56,78",
       "\"v\"=hex(5):12,34,56,78"},
      {"v", 11, std::string("\x01\0\0\0\0\0\0\x80", 8), "\"v\"=hex(b):01,00,00,00,00,00,00,80",
       "\"v\"=hex(b):01,00,00,00,00,00,00,80"},
      {"v", 0, std::string(), "\"v\"=hex(0):", "\"v\"=hex(0):"},
  };
  for (const SettingCase& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.data.data());
    const auto length = static_cast<uint32_t>(c.data.size());
    EXPECT_EQ(regValueSetting(c.name, c.type, bytes, length, RegEncoding::kRegedit4), c.regedit4);
    EXPECT_EQ(regValueSetting(c.name, c.type, bytes, length, RegEncoding::kUnicode), c.unicode);
  }
  EXPECT_EQ(regValueDeletion(""), "@=-");
  EXPECT_EQ(regValueDeletion("a\"b"), "\"a\\\"b\"=-");
}

// Long lists are cut into lines of at most 80 characters; joined again they are the
// plain list of every byte.
TEST(RegValueSetting, LongHexListsContinueOnShortLines) {
  for (size_t size : {1u, 20u, 21u, 22u, 23u, 24u, 25u, 26u, 100u, 999u}) {
    std::string data;
    std::string plain = "\"a fairly long value name\"=hex:";
    for (size_t i = 0; i < size; ++i) {
      data += static_cast<char>(i * 7);
      char hex[4];
      std::snprintf(hex, sizeof hex, i + 1 < size ? "%02x," : "%02x",
                    static_cast<unsigned>((i * 7) & 0xFF));
      plain += hex;
    }
    const std::string text = regValueSetting(
        "a fairly long value name", 3, reinterpret_cast<const uint8_t*>(data.data()),
        static_cast<uint32_t>(size), RegEncoding::kRegedit4);
    std::string joined;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 5) {
      end = text.find("\\\r\n  ", start);
      const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
      EXPECT_LE(line.size() + (start > 0 ? 2 : 0) + (end != std::string::npos), 80u) << size;
      joined += line;
    }
    EXPECT_EQ(joined, plain) << size;
  }
}

class RegExportTest : public ListingTest {
 protected:
  // A kept value, a deleted value, a changed one, an added one; a deleted key with a
  // subkey and an added key with a subkey.
  void buildChanges() {
    value(base(), kT + "\\Keep", "a", 1, sz("old"));
    value(base(), kT + "\\Keep", "b", 4, std::string("\x01\0\0\0", 4));
    value(base(), kT + "\\Keep", "same", 1, sz("s"));
    value(base(), kT + "\\Gone", "x", 1, sz("gx"));
    value(base(), kT + "\\Gone\\Deep", "", 3, std::string("\x01\x02", 2));
    value(cur(), kT + "\\Keep", "a", 1, sz("new"));
    value(cur(), kT + "\\Keep", "c", 1, sz("add"));
    value(cur(), kT + "\\Keep", "same", 1, sz("s"));
    value(cur(), kT + "\\New", "n", 2, sz("%p%"));
    key(cur(), kT + "\\New\\Kid");
    compare();
  }
  RegExportResult run(RegDirection direction, RegEncoding encoding = RegEncoding::kRegedit4) {
    RegExportOptions options;
    options.direction = direction;
    options.encoding = encoding;
    options.notExportableLabel = "digest only:";
    return exportRegChanges(cur(), base(), options);
  }
  const std::string kT = "HKEY_CURRENT_USER\\Software\\T";
};

TEST_F(RegExportTest, RedoAppliesTheChanges) {
  buildChanges();
  const RegExportResult result = run(RegDirection::kRedo);
  EXPECT_EQ(result.bytes,
            "REGEDIT4\r\n"
            "\r\n[-HKEY_CURRENT_USER\\Software\\T\\Gone]\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Keep]\r\n"
            "\"a\"=\"new\"\r\n\"b\"=-\r\n\"c\"=\"add\"\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\New]\r\n"
            "\"n\"=hex(2):25,70,25,00\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\New\\Kid]\r\n");
  EXPECT_EQ(result.keyLines, 4);
  EXPECT_EQ(result.valueLines, 4);
  EXPECT_TRUE(result.notExported.empty());
}

TEST_F(RegExportTest, UndoRevertsThemFromTheBaseline) {
  buildChanges();
  const RegExportResult result = run(RegDirection::kUndo);
  EXPECT_EQ(result.bytes,
            "REGEDIT4\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Gone]\r\n"
            "\"x\"=\"gx\"\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Gone\\Deep]\r\n"
            "@=hex:01,02\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Keep]\r\n"
            "\"a\"=\"old\"\r\n\"b\"=dword:00000001\r\n\"c\"=-\r\n"
            "\r\n[-HKEY_CURRENT_USER\\Software\\T\\New]\r\n");
}

TEST_F(RegExportTest, DigestOnlyDataAreNamedNotWritten) {
  value(base(), kT, "big", 3, std::string(40, 'a'), false);
  value(cur(), kT, "big", 3, std::string(40, 'b'), false);
  value(cur(), kT, "", 3, std::string(10, 'c'), false);
  compare();
  const RegExportResult result = run(RegDirection::kRedo);
  EXPECT_EQ(result.bytes,
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
            "; digest only: @\r\n; digest only: \"big\"\r\n");
  ASSERT_EQ(result.notExported.size(), 2u);
  EXPECT_EQ(result.notExported[0], kT + " : (標準)");
  EXPECT_EQ(result.notExported[1], kT + " : big");
  EXPECT_EQ(result.valueLines, 0);
  EXPECT_EQ(run(RegDirection::kUndo).notExported.size(), 1u);
}

}  // namespace
