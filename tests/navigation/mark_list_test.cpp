// The mark list file (written, hand-made and damaged files) and the table's editing rules.
#include <gtest/gtest.h>

#include <sstream>

#include "navigation/mark_list.h"

namespace {

const std::string kFlag = "更新抑制:";

MarkList read(const std::string& text) {
  MarkList list;
  std::istringstream in(text);
  readMarkList(list, in);
  return list;
}

std::string written(const MarkList& list) {
  std::ostringstream out;
  return writeMarkList(list, out), out.str();
}

std::string marksOf(const MarkList& list) {
  std::string text;
  for (int i = 0; i < list.count; ++i) text += std::string(list.marks[i].heading) + "=" + list.marks[i].path + ";";
  return text + "flag" + std::to_string(list.noUpdate);
}

TEST(MarkListFile, ReadsWhatTheFormatAllowsAndSkipsTheRest) {
  std::string longKanji = "x";  // 漢 is cut whole
  for (int i = 0; i < 200; ++i) longKanji += "漢";
  const struct {
    std::string file, marks;
  } cases[] = {
      {kFlag + "1\r\n\"Run\"\tHKEY_USERS\\Run\r\n", "Run=HKEY_USERS\\Run;flag1"},
      {kFlag + "  7\n\"a\" \t \tK\n", "a=K;flag1"},
      {"\"a\"\tK\n\"b\"\tL\n", "b=L;flag0"},  // no flag line: line 1 is lost
      {kFlag + "x1\n", "flag0"},
      {kFlag + "0\n\"\"\tK\n\"a\tK\nb\tK\n\"d\"\t\n\n\"e\"Y\n", "e=Y;flag0"},
      {kFlag + "0\n\"p\"\tK\\\\\\P\r\n\"q\"\tK\\\\\\Q\r\n", "p=K\\\\\\P;q=K\\\\\\Q;flag0"},
      {kFlag + "0\n\"" + longKanji + "\"\tK\n", longKanji.substr(0, 255) + "=K;flag0"},
      {kFlag + "0\n\"a\"\t" + std::string(513, 'k') + "\n", "flag0"},
      {kFlag + "0\n\"a\"\tK" + std::string(1, '\0') + "x\n\"b\"\tL", "b=L;flag0"},
      {"", "flag0"},
  };
  for (const auto& c : cases) EXPECT_EQ(marksOf(read(c.file)), c.marks) << c.file;
}

TEST(MarkListFile, NotesPushNoMarkOutAndTheTableStopsAtAHundred) {
  std::string file = kFlag + "0\n";
  for (int i = 0; i < 150; ++i) file += "note\n\n\"m" + std::to_string(i) + "\"\tK\n";
  EXPECT_EQ(std::to_string(read(file).count) + read(file).marks[kMaxMarks - 1].heading, "100m99");
}

// The file is written with CR LF line ends and reads back as written (damaged files are
// the mark_list fuzz target's part).
TEST(MarkListFile, WrittenCrLfFileReadsBack) {
  const MarkList list = read(kFlag + "1\n\"a\"\tHKEY_USERS\\S\\\\\\v\n\"漢\"\tHKEY_CURRENT_USER\n");
  const std::string good = written(list);
  ASSERT_EQ(good, kFlag + "1\r\n\"a\"\tHKEY_USERS\\S\\\\\\v\r\n\"漢\"\tHKEY_CURRENT_USER\r\n");
  EXPECT_EQ(marksOf(read(good)), marksOf(list));
}

TEST(MarkListEditing, RefusesWhatCouldNotBeReadBackAndAnythingInNoUpdateMode) {
  MarkList list = read("");
  for (const char* bad : {"", "a\"b", "a\nb"}) EXPECT_EQ(addMark(list, bad, "K"), -1) << bad;
  for (std::string bad : {std::string(513, 'k'), std::string("K\rL"), std::string(" K")}) EXPECT_EQ(addMark(list, "h", bad), -1);
  for (const char* heading : {"a", "b", "c"}) addMark(list, heading, std::string("path ") + heading);
  EXPECT_EQ(findMarkByPath(list, "PATH B"), 1);
  setMarkNoUpdate(list, true);
  EXPECT_TRUE(addMark(list, "d", "D") == -1 && !renameMark(list, 0, "z") && !deleteMark(list, 0));
  setMarkNoUpdate(list, false);
  EXPECT_TRUE(!renameMark(list, 3, "z") && !renameMark(list, 0, "z\"") && renameMark(list, 2, "z"));
  EXPECT_TRUE(deleteMark(list, 0));
  EXPECT_EQ(marksOf(list), "b=path b;z=path c;flag0");
  EXPECT_EQ(list.changes, 5);
  while (list.count < kMaxMarks) addMark(list, "f", "F");
  EXPECT_EQ(addMark(list, "g", "G"), -1);
}

}  // namespace
