// The undo list: the records written for each kind of change, the refusal counts and
// depths, and the reader's refusals of damaged or truncated lists.
#include <gtest/gtest.h>

#include <string>

#include "engine/snapshot_store.h"
#include "restore/undo_list_reader.h"
#include "restore/undo_list_writer.h"
#include "tests/restore/undo_test_support.h"

namespace {

using namespace undo_test;

const std::string kApp = "HKEY_CURRENT_USER\\Software\\App";

class UndoListWriterTest : public TwoStoreTest {};

TEST_F(UndoListWriterTest, DeletedValueIsItsKeyPathAGhostRecordAndTheBaselineData) {
  both(kApp);
  value(base(), kApp, "Gone", sz("old"));
  compare();
  const restore::UndoListBuild build = restore::buildUndoList(cur(), base(), item(kApp, "Gone"));
  const std::string expected(
      "\x01\x01\x00\x00\x01\x12\x00\x00"
      "\x02\x00\x02\x00\x1f\x00\x00\x00" "HKEY_CURRENT_USER\\Software\\App\0"
      "\x04\x0b\x03\x00\x05\x00\x00\x00" "Gone\0"
      "\x05\x00\x00\x01\x04\x00\x00\x00" "old\0"
      "\x00\x01\x00\x00\x01\x12\x00\x00",
      8 + 8 + 31 + 8 + 5 + 8 + 4 + 8);
  EXPECT_EQ(build.bytes, expected);
  EXPECT_EQ(build.valuesWithData, 1);
  EXPECT_EQ(build.valuesLackingData, 0);
  EXPECT_TRUE(build.complete);
}

TEST_F(UndoListWriterTest, ChangedValueWritesTheCurrentThenTheOldData) {
  both(kApp);
  value(cur(), kApp, "V", std::string("\x02\x00\x00\x00", 4), kRegDword);
  value(base(), kApp, "V", sz("was"), kRegSz);
  compare();
  const restore::UndoListBuild build = restore::buildUndoList(cur(), base(), item(kApp, "V"));
  EXPECT_EQ(build.bytes, kStart + text(2, 0, 2, kApp) + text(4, 9, 3, "V") +
                             data(0, 4, std::string("\x02\x00\x00\x00", 4)) +
                             data(1, 1, sz("was")) + kEnd);
  EXPECT_EQ(build.valuesWithData, 2);
}

TEST_F(UndoListWriterTest, DeletedKeyWritesItsWholeBaselineSubtreeAsDeleted) {
  both(kApp);
  value(base(), kApp + "\\Old", "", sz("top"));
  value(base(), kApp + "\\Old\\Deep", "n", "");
  key(base(), kApp + "\\Old\\Deep\\Leaf");
  compare();
  const restore::UndoListBuild build =
      restore::buildUndoList(cur(), base(), item(kApp + "\\Old"));
  EXPECT_EQ(build.bytes, kStart + text(2, 0, 2, kApp) + text(3, 7, 3, "Old") +
                             text(4, 11, 4, "") + data(0, 1, sz("top")) + text(3, 7, 4, "Deep") +
                             text(4, 11, 5, "n") + data(0, 1, "") + text(3, 7, 5, "Leaf") + kEnd);
  EXPECT_EQ(build.valuesWithData, 2);
}

TEST_F(UndoListWriterTest, GroupingKeysGetNoRecordAndDoNotCountInLevels) {
  both("HKEY_CLASSES_ROOT\\.txt");
  value(base(), "HKEY_CLASSES_ROOT\\.txt", "", sz("txtfile"));
  compare();
  groupClassInfo(cur());
  const ItemIndex txt = item("HKEY_CLASSES_ROOT\\!.File Extensions\\.txt");
  ASSERT_GE(txt, 0);
  ASSERT_TRUE(keyRecord(cur(), keyRecord(cur(), txt).parent).summary & SUM_GROUPING_KEY);
  EXPECT_EQ(restore::buildUndoList(cur(), base(), txt).bytes,
            kStart + text(2, 0, 0, "HKEY_CLASSES_ROOT") + text(3, STATE_CHANGED_BELOW, 1, ".txt") +
                text(4, 11, 2, "") + data(0, 1, sz("txtfile")) + kEnd);
  const ItemIndex group = item("HKEY_CLASSES_ROOT\\!.File Extensions");
  EXPECT_EQ(restore::buildUndoList(cur(), base(), group).bytes,
            kStart + text(2, 0, 0, "HKEY_CLASSES_ROOT") + text(3, STATE_CHANGED_BELOW, 1, ".txt") +
                text(4, 11, 2, "") + data(0, 1, sz("txtfile")) + kEnd);
}

// Four values without kept data against seven or eight with: 8 > 7 refuses, 8 > 8 not.
struct CountCase {
  int lacking;
  int kept;
  bool refused;
};

class UndoCountTest : public UndoListWriterTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(UndoCountTest, RefusesWhenTwiceTheLackingOutnumberTheKept) {
  both(kApp);
  const CountCase c = GetParam();
  for (int i = 0; i < c.lacking; ++i) {
    value(base(), kApp + "\\Old", ("d" + std::to_string(i)).c_str(), sz("digest only"), kRegSz,
          false);
  }
  for (int i = 0; i < c.kept; ++i) {
    value(base(), kApp + "\\Old", ("k" + std::to_string(i)).c_str(), sz("kept"));
  }
  compare();
  const restore::UndoListBuild build =
      restore::buildUndoList(cur(), base(), item(kApp + "\\Old"));
  EXPECT_EQ(build.valuesLackingData, c.lacking);
  EXPECT_EQ(build.valuesWithData, c.kept);
  EXPECT_EQ(restore::undoListRefused(build), c.refused);
}

INSTANTIATE_TEST_SUITE_P(Counts, UndoCountTest,
                         ::testing::Values(CountCase{4, 7, true}, CountCase{4, 8, false}));

TEST_F(UndoListWriterTest, DeepPathsAreWrittenWholeAndLevelsPast255AreRefused) {
  std::string path = "HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 60; ++i) path += "\\k";
  both(path);
  value(base(), path, "v", sz("1"));
  compare();
  const restore::UndoListBuild build = restore::buildUndoList(cur(), base(), item(path, "v"));
  EXPECT_EQ(build.bytes, kStart + text(2, 0, 60, path) + text(4, 11, 61, "v") +
                             data(0, 1, sz("1")) + kEnd);
  for (int i = 0; i < 200; ++i) path += "\\k";
  both(path);
  value(base(), path, "v", sz("1"));
  compare();
  EXPECT_FALSE(restore::buildUndoList(cur(), base(), item(path, "v")).complete);
}

}  // namespace

namespace {

using namespace undo_test;

restore::UndoListReadResult read(const std::string& bytes, restore::UndoList& list) {
  return restore::readUndoList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), list);
}

const std::string kPath = text(2, 0, 1, "HKEY_CURRENT_USER\\Software");

TEST(UndoListReaderTest, DoubleByteNamesWithABackslashTrailByteAreNotSplit) {
  const std::string name = "\x95\x5c";  // a kanji whose trail byte is '\'
  restore::UndoList list;
  ASSERT_EQ(read(kStart + text(2, 0, 1, "HKEY_USERS\\" + name) + text(3, 7, 2, name) + kEnd, list)
                .error,
            restore::UNDO_LIST_OK);
  EXPECT_EQ(restore::splitUndoPath(restore::undoKeyPath(list, 1)).size(), 3u);
}

struct BadCase {
  const char* what;
  std::string bytes;
  restore::UndoListError error;
};

class UndoListRefusalTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(UndoListRefusalTest, RefusesAndKeepsNothing) {
  restore::UndoList list;
  EXPECT_EQ(read(GetParam().bytes, list).error, GetParam().error) << GetParam().what;
  EXPECT_TRUE(list.keys.empty() && list.values.empty() && list.order.empty());
}

const std::string kValue = kPath + text(4, 11, 2, "v");

INSTANTIATE_TEST_SUITE_P(
    Hostile, UndoListRefusalTest,
    ::testing::Values(
        BadCase{"empty", "", restore::UNDO_LIST_NO_START},
        BadCase{"other version", header(1, 1, 0, 0, 0x1202) + kEnd, restore::UNDO_LIST_NO_START},
        BadCase{"no end", kStart + kPath, restore::UNDO_LIST_TRUNCATED},
        BadCase{"payload past the end", kStart + header(2, 0, 0, 0, 0xFFFFFFF0u) + kEnd,
                restore::UNDO_LIST_TRUNCATED},
        BadCase{"bytes after the end", kStart + kEnd + "x", restore::UNDO_LIST_TRAILING},
        BadCase{"unknown kind", kStart + header(6, 0, 0, 0, 0) + kEnd,
                restore::UNDO_LIST_BAD_RECORD},
        BadCase{"damaged end", kStart + header(0, 1, 0, 0, 0x1201).replace(3, 1, "\x01") ,
                restore::UNDO_LIST_BAD_RECORD},
        BadCase{"value state 8", kStart + kPath + text(4, 8, 2, "v") + kEnd,
                restore::UNDO_LIST_BAD_RECORD},
        BadCase{"text without NUL", kStart + header(3, 7, 0, 0, 2) + "ab" + kEnd,
                restore::UNDO_LIST_BAD_TEXT},
        BadCase{"NUL inside a name", kStart + kPath + text(3, 7, 2, std::string("a\0b", 3)) + kEnd,
                restore::UNDO_LIST_BAD_TEXT},
        BadCase{"backslash in a key name", kStart + kPath + text(3, 7, 2, "..\\Run") + kEnd,
                restore::UNDO_LIST_BAD_TEXT},
        BadCase{"key with no parent", kStart + kPath + text(3, 7, 3, "k") + kEnd,
                restore::UNDO_LIST_BAD_LEVEL},
        BadCase{"unknown root", kStart + text(2, 0, 0, "HKEY_NOWHERE") + kEnd,
                restore::UNDO_LIST_BAD_PATH},
        BadCase{"path deeper than its level", kStart + text(2, 0, 0, "HKEY_USERS\\x") + kEnd,
                restore::UNDO_LIST_BAD_PATH},
        BadCase{"empty path component", kStart + text(2, 0, 1, "HKEY_USERS\\\\x") + kEnd,
                restore::UNDO_LIST_BAD_PATH},
        BadCase{"data before any value", kStart + data(0, 1, "x") + kEnd,
                restore::UNDO_LIST_MISPLACED_DATA},
        BadCase{"old data of a deleted value", kStart + kValue + data(1, 1, "x") + kEnd,
                restore::UNDO_LIST_MISPLACED_DATA},
        BadCase{"data twice", kStart + kValue + data(0, 1, "x") + data(0, 1, "y") + kEnd,
                restore::UNDO_LIST_MISPLACED_DATA},
        BadCase{"data after a path record", kStart + kValue + kPath + data(0, 1, "x") + kEnd,
                restore::UNDO_LIST_MISPLACED_DATA},
        BadCase{"huge data", kStart + kValue + header(5, 0, 0, 1, 0x100001) +
                                 std::string(0x100001, 'x') + kEnd,
                restore::UNDO_LIST_TOO_LARGE}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return "case" + std::to_string(info.index); });

// Every cut of a good list ends in a refusal (byte flips are the fuzz target's part).
TEST(UndoListReaderTest, TruncationsAreRefused) {
  const std::string good = kStart + kPath + text(3, 7, 2, "Old") + text(4, 9, 3, "v") +
                           data(0, 4, "abcd") + data(1, 3, "xy") + kEnd;
  restore::UndoList list;
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_NE(read(good.substr(0, cut), list).error, restore::UNDO_LIST_OK) << cut;
  }
}

}  // namespace
