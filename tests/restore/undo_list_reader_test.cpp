#include "restore/undo_list_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/snapshot_store.h"
#include "tests/restore/undo_test_support.h"

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
