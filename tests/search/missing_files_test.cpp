// The missing-file test on an in-memory file system: the cuts of each pass, rundll32
// commands, expansion, folders and REG_MULTI_SZ lists; and the command over a store.
#include "search/missing_files.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/view_state.h"
#include "platform/memory/memory_environment.h"
#include "platform/memory/memory_file_system.h"
#include "tests/engine/store_tree_builder.h"

namespace {

class MissingFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.fs.addFolder("C:\\Windows");
    files.fs.addFile("C:\\Windows\\explorer.exe");
    files.fs.addFile("C:\\Windows\\x.dll");
    files.fs.addFolder("C:\\Empty");
    files.fs.addFile("C:\\Program Files\\Tool\\tool.exe");
    env.env.set("SystemRoot", "C:\\Windows");
  }
  platform::ScopedFileSystem files;
  platform::ScopedEnvironment env;
};

TEST_F(MissingFilesTest, Cases) {
  struct Case {
    const char* text;
    uint32_t type;
    int missing;
  };
  const Case cases[] = {
      {"C:\\Gone\\x.exe /s", kRegSz, 1},
      {"C:\\Windows\\explorer.exe /s", kRegSz, 0},
      {"C:\\Windows\\explorer.exe,0", kRegSz, 0},
      {"C:\\Windows\\gone.exe,0", kRegSz, 1},
      {"\"C:\\Windows\\explorer.exe\" -a \"%1\"", kRegSz, 0},
      {"C:\\Program Files\\Tool\\tool.exe /x", kRegSz, 0},
      {"C:\\Windows\\explorer.exe %1", kRegSz, 0},
      {"rundll32.exe C:\\Gone\\lib.dll,Entry", kRegSz, 1},
      {"rundll32.exe C:\\Windows\\x.dll,Entry", kRegSz, 0},
      {"RUNDLL32 \"C:\\Windows\\x.dll\",Entry", kRegSz, 0},
      {"%SystemRoot%\\x.dll", kRegSz, 0},        // not expanded: no path
      {"%SystemRoot%\\x.dll", kRegExpandSz, 0},  // expanded: exists
      {"%SystemRoot%\\y.dll", kRegExpandSz, 1},
      {"C:\\Windows\\", kRegSz, 0},  // a folder with entries
      {"C:\\Empty\\", kRegSz, 0},    // an existing folder finds itself
      {"C:\\Gone\\", kRegSz, 1},
      {"notepad.exe", kRegSz, 0},
      {"\\\\server\\share", kRegSz, 0},  // begins with a backslash
      {"\\x.exe", kRegSz, 0},
      {"C", kRegSz, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(countMissingFileReferences(c.text, 0, c.type), c.missing) << c.text;
  }
  const std::string list("C:\\Gone\\a.exe\0C:\\Windows\\x.dll\0C:\\Gone\\b.exe\0\0C:\\Gone\\c\0", 56);
  EXPECT_EQ(countMissingFileReferences(list.data(), list.size(), kRegMultiSz), 2);
}

class MissingFileSearchTest : public store_tree::TreeTest {
 protected:
  platform::ScopedFileSystem files;
};

class NullDisplay : public SearchDisplay {
 public:
  void setStatus(const std::string& text) override { status = text; }
  void beep() override { ++beeps; }
  void busy(bool) override {}
  void revealItem(ItemIndex, bool) override {}
  void revealSearchHits() override {}
  void showItemPath(ItemIndex) override {}
  void setResultCopyEnabled(bool) override {}
  std::string status;
  int beeps = 0;
};

TEST_F(MissingFileSearchTest, MarksNamesAndDataAndRestoresTheErrorMode) {
  files.fs.addFile("C:\\Here.exe");
  const ItemIndex k = key("HKEY_LOCAL_MACHINE\\Run");
  const ItemIndex named = value(k, "C:\\Gone\\named.exe", STATE_DATA, "x");
  value(k, "Good", STATE_DATA, std::string("C:\\Here.exe\0", 12));
  const ItemIndex bad = value(k, "Bad", STATE_DATA, std::string("C:\\Gone.exe\0", 12));
  NullDisplay display;
  EXPECT_EQ(missingFileSearch(store(), VIEW_STATE_BASELINE_ONLY, display), 2);
  EXPECT_TRUE(valueFlags(store(), named) & VIEW_HIT);
  EXPECT_TRUE(valueFlags(store(), bad) & VIEW_HIT);
  EXPECT_EQ(display.status, "不在ファイル検出件数：2 件、4 行");
  EXPECT_EQ(searchResultState(), SEARCH_STATE_MISSING_FILES);
  EXPECT_EQ(files.fs.quietDepth, 0);
  files.fs.addFile("C:\\Gone.exe");
  files.fs.addFile("C:\\Gone\\named.exe");
  EXPECT_EQ(missingFileSearch(store(), VIEW_STATE_BASELINE_ONLY, display), 0);
  EXPECT_EQ(display.status, "エラーのあるファイル参照は見付かりませんでした。");
  EXPECT_EQ(countMarkedLines(store()), 0);
}

}  // namespace
