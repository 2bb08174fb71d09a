// The file commands driven through the real window, on Wine's real registry: read,
// change the registry, compare, save, undo through the real restore program, close,
// open the file as baseline and as the comparison side; the command line file; the
// busy flag; a second instance.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/open_save_commands.h"
#include "engine/snapshot_store.h"
#include "restore/undo_request.h"
#include "restore_tool/restore_window.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "shell/program_driver.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const char kProgramTitle[] = "ゾルファンケストリン";
const char kTestKey[] = "Software\\KestrinShellTest";

// The test's own corner of the registry, rebuilt at every run.
void resetTestKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  setRegString(kTestKey, "changed", "before");
  setRegString(kTestKey, "deleted", "gone soon");
  setRegBytes(kTestKey, "retyped", REG_DWORD, std::string("\x05\0\0\0", 4));
  setRegBytes(std::string(kTestKey) + "\\Doomed\\Leaf", "inner", REG_BINARY, std::string("\x01\x02\0\x04", 4));
}

// One user's session from the first read to opening the saved comparison again.
class FileCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Session::get().start("");
  }
  Session& session = Session::get();
};

TEST_F(FileCommandsTest, ReadChangeCompareSaveCloseAndOpenAgain) {
  ASSERT_TRUE(session.running());
  resetTestKey();

  // The first read: five roots, the read's own status text, the registry title.
  runCommand(IDM_READ_REGISTRY);
  EXPECT_EQ(childItems(TVI_ROOT).size(), 5u);
  EXPECT_EQ(statusText(), " レジストリ読み込み完了");
  EXPECT_EQ(windowText(mainWindow), std::string("レジストリ情報 - ") + kProgramTitle);
  EXPECT_EQ(viewState, VIEW_BASELINE | VIEW_BASELINE_FROM_LIVE);
  EXPECT_EQ(menuItemText(IDM_READ_REGISTRY), "現レジストリ情報と比較(&R)");
  EXPECT_FALSE(menuItemGreyed(IDM_SAVE));
  EXPECT_FALSE(menuItemGreyed(IDM_CLOSE));
  EXPECT_EQ(toolTipText(IDM_READ_REGISTRY), std::string("現レジストリ情報と比較"));

  // Change the registry (values changed, retyped, deleted and added, a subkey added
  // and a subtree deleted), then compare with the first read.
  setRegString(kTestKey, "changed", "after");
  setRegString(kTestKey, "retyped", "five");
  setRegString(kTestKey, "added", "new");
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kTestKey, "deleted");
  setRegString(std::string(kTestKey) + "\\Added", nullptr, "");
  RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\Doomed").c_str());
  runCommand(IDM_READ_REGISTRY);
  EXPECT_EQ(viewState, VIEW_BASELINE | VIEW_LIVE_COMPARED);
  EXPECT_EQ(baselineLabel, "旧レジストリ");
  EXPECT_EQ(comparisonLabel, "現レジストリ情報");
  EXPECT_EQ(windowText(mainWindow),
            std::string("レジストリ情報 ： 現レジストリ情報 - ") + kProgramTitle);
  EXPECT_EQ(statusText().rfind(" 追加key ", 0), 0u) << statusText();
  // The changed key, opened in the tree, is drawn with its mark, and so is its changed
  // value with its new data (which items are marked: registry_live_test).
  const ItemIndex key = findItem({"HKEY_CURRENT_USER", "Software", "KestrinShellTest"});
  ASSERT_NE(key, kNoItem);
  revealItem(key, 0);
  fillChildren(key, 1, 0);
  EXPECT_EQ(itemImage(itemOf(key)), STATE_CHANGED_BELOW);
  HTREEITEM changedItem = itemOf(findChild(currentStore(), key, "changed", true));
  ASSERT_NE(changedItem, nullptr);
  EXPECT_EQ(itemImage(changedItem), STATE_DATA_CHANGED);
  EXPECT_NE(itemText(changedItem).find("changed := 'after'"), std::string::npos)
      << itemText(changedItem);

  // Save: the dialog proposes an .rsv file; the file is written.
  const std::string saved = session.scratchPath("compare.rsv");
  std::remove(saved.c_str());
  session.dialogs.answers.push_back(saved);
  const size_t requestsBefore = session.dialogs.requests.size();
  runCommand(IDM_SAVE);
  ASSERT_EQ(session.dialogs.requests.size(), requestsBefore + 1);
  EXPECT_TRUE(session.dialogs.requests.back().save);
  EXPECT_EQ(session.dialogs.requests.back().defaultExtension, "rsv");
  EXPECT_EQ(session.dialogs.requests.back().title, "レジストリ情報ファイルの保存");
  EXPECT_TRUE(fileExists(saved));
  EXPECT_EQ(statusText(), " 保存終了");

  // Undo: the key handed to the restore program (a process of its own), its
  // confirmation answered by pressing its button; read again, the test key is as the
  // first read had it.
  LaunchedProcess pellim;
  ASSERT_TRUE(launch(KESTRIN_PELLIM_EXE, "", pellim));
  uint32_t handle = 0;
  ASSERT_TRUE(pumpUntil([&] { return restore::isRestoreToolRunning(&handle) && handle != 0; }));
  HWND restoreWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
  selectItem(key, false);
  ASSERT_FALSE(menuItemGreyed(IDM_UNDO_CHANGE));
  runCommand(IDM_UNDO_CHANGE);
  EXPECT_EQ(statusText(), " ペリムへ「元に戻す」要求完了");
  EXPECT_TRUE(menuItemGreyed(IDM_UNDO_CHANGE));
  HWND restore = GetDlgItem(restoreWindow, pellim::IDC_PELLIM_RESTORE);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowEnabled(restore) != 0; }));
  SendMessageA(GetDlgItem(restoreWindow, pellim::IDC_PELLIM_REMOVE_ADDED), BM_CLICK, 0, 0);
  SendMessageA(restore, BM_CLICK, 0, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowEnabled(restore); }));
  const std::string report = windowText(GetDlgItem(restoreWindow, pellim::IDC_PELLIM_STATUS));
  EXPECT_NE(report.find("失敗 0 件"), std::string::npos) << report;
  runCommand(IDM_READ_REGISTRY);
  const ItemIndex restored = findItem({"HKEY_CURRENT_USER", "Software", "KestrinShellTest"});
  ASSERT_NE(restored, kNoItem);
  EXPECT_EQ(keyRecord(currentStore(), restored).summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED), 0)
      << "the test key still differs from the first read";
  PostMessageA(restoreWindow, WM_CLOSE, 0, 0);
  WaitForSingleObject(pellim.info.hProcess, 10000);

  // Close: the bare title, an empty tree, every snapshot command greyed.
  runCommand(IDM_CLOSE);
  EXPECT_EQ(windowText(mainWindow), kProgramTitle);
  EXPECT_EQ(viewState, 0);
  EXPECT_TRUE(childItems(TVI_ROOT).empty());
  for (int id : {IDM_SAVE, IDM_CLOSE, IDM_OPEN_COMPARISON, IDM_COMPARE_AGAIN}) {
    EXPECT_TRUE(menuItemGreyed(id)) << id;
  }
  EXPECT_EQ(menuItemText(IDM_READ_REGISTRY), "レジストリ情報を取込む(&R)");

  // Open the file as the baseline: it holds the comparison, so the counts line shows.
  session.dialogs.answers.push_back(saved);
  runCommand(IDM_OPEN_BASELINE);
  EXPECT_EQ(viewState, VIEW_BASELINE);
  EXPECT_EQ(windowText(mainWindow), std::string("compare.rsv - ") + kProgramTitle);
  EXPECT_EQ(statusText().rfind(" 追加key ", 0), 0u) << statusText();
  EXPECT_EQ(childItems(TVI_ROOT).size(), 5u);
  EXPECT_FALSE(menuItemGreyed(IDM_OPEN_COMPARISON));
  EXPECT_TRUE(menuItemGreyed(IDM_SAVE));

  // And the same file as the comparison side.
  session.dialogs.answers.push_back(saved);
  runCommand(IDM_OPEN_COMPARISON);
  EXPECT_EQ(viewState, VIEW_BASELINE | VIEW_COMPARISON_FILE);
  EXPECT_EQ(windowText(mainWindow),
            std::string("compare.rsv ： compare.rsv - ") + kProgramTitle);
  EXPECT_EQ(childItems(TVI_ROOT).size(), 5u);
  EXPECT_FALSE(menuItemGreyed(IDM_SAVE));

  runCommand(IDM_CLOSE);
  EXPECT_EQ(defaultSaveName(SAVE_PLAIN, false, {}), "") << "a closed file's name is forgotten";
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
}

// A cancelled open changes nothing; a damaged file is refused with the loader's
// message and leaves a sound view: no snapshot after a failed baseline, the baseline
// alone after a failed comparison.
TEST_F(FileCommandsTest, CancelledOpensAndDamagedFilesLeaveASoundView) {
  ASSERT_TRUE(session.running());
  const std::string damaged = session.scratchPath("damaged.rsv");
  FILE* file = std::fopen(damaged.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("not a snapshot file at all, just some text to refuse", file);
  std::fclose(file);

  runCommand(IDM_CLOSE);
  session.dialogs.answers.push_back(std::nullopt);
  runCommand(IDM_OPEN_BASELINE);
  EXPECT_EQ(viewState, 0);
  EXPECT_EQ(windowText(mainWindow), kProgramTitle);

  runCommand(IDM_READ_REGISTRY);
  const std::string good = session.scratchPath("good.rsv");
  session.dialogs.answers.push_back(good);
  runCommand(IDM_SAVE);
  ASSERT_TRUE(fileExists(good));

  const size_t boxesBefore = session.messages.shown.size();
  session.dialogs.answers.push_back(damaged);
  runCommand(IDM_OPEN_BASELINE);
  ASSERT_GT(session.messages.shown.size(), boxesBefore);
  EXPECT_EQ(session.messages.shown.back().caption, "ファイル読み込みエラー");
  EXPECT_EQ(viewState, 0);
  EXPECT_EQ(windowText(mainWindow), kProgramTitle);
  EXPECT_TRUE(menuItemGreyed(IDM_SAVE));

  session.dialogs.answers.push_back(good);
  runCommand(IDM_OPEN_BASELINE);
  ASSERT_EQ(viewState, VIEW_BASELINE);
  session.dialogs.answers.push_back(damaged);
  runCommand(IDM_OPEN_COMPARISON);
  EXPECT_EQ(viewState, VIEW_BASELINE);
  EXPECT_EQ(windowText(mainWindow), std::string("good.rsv - ") + kProgramTitle);
  EXPECT_EQ(childItems(TVI_ROOT).size(), 5u);
  EXPECT_TRUE(storesShareBlocks(currentStore(), baselineStore()));
  EXPECT_GT(countItems(currentStore(), 0), 5);
  runCommand(IDM_CLOSE);
}

TEST_F(FileCommandsTest, SaveShortcutDuringAReadIsDropped) {
  ASSERT_TRUE(session.running());
  programOptions.entries[OPT_SHOW_SIZES] = 0;  // key texts start with the key's name
  runCommand(IDM_READ_REGISTRY);  // save is enabled from now on
  ASSERT_FALSE(menuItemGreyed(IDM_SAVE));
  const size_t requestsBefore = session.dialogs.requests.size();
  const int savesLogged = logCount(":保存");
  // Ctrl+S reaches the tree while the next read pumps its messages.
  setKeyDown(VK_CONTROL, true);
  PostMessageA(treeWindow, WM_KEYDOWN, 'S', 0);
  PostMessageA(treeWindow, WM_KEYUP, 'S', 0);
  runCommand(IDM_READ_REGISTRY);
  pumpPending();
  EXPECT_EQ(session.dialogs.requests.size(), requestsBefore);
  EXPECT_EQ(logCount(":保存"), savesLogged) << "a dropped command leaves no trace";
  EXPECT_FALSE(operationBusy);

  // Ctrl+S when nothing runs asks for a file. The dialog's own loop takes the Ctrl
  // key-up; S then only searches the tree for a key.
  session.dialogs.whileShown = [](auto&) { setKeyDown(VK_CONTROL, false); };
  typeInTree('S', 0);
  EXPECT_TRUE(pumpUntil([&] { return session.dialogs.requests.size() == requestsBefore + 1; }));
  session.dialogs.whileShown = nullptr;
  HTREEITEM machine = childItems(TVI_ROOT).at(3);
  TreeView_SelectItem(treeWindow, machine);
  TreeView_Expand(treeWindow, machine, TVE_EXPAND);
  typeInTree('S', 's');
  pumpPending();
  EXPECT_EQ(session.dialogs.requests.size(), requestsBefore + 1);
  EXPECT_EQ(itemText(TreeView_GetSelection(treeWindow)).substr(0, 1), "S");
  programOptions.entries[OPT_SHOW_SIZES] = 1;
  runCommand(IDM_CLOSE);
}

// The command line names a snapshot file (as the .rsv association passes it): it is
// opened as the baseline half a second after start, once, after an open dialog the
// user brought up first and never in its place.
TEST_F(FileCommandsTest, CommandLineFileOpensOnceWithoutADialog) {
  session.ensureRunning();
  const std::string saved = session.scratchPath("s.rsv");  // short on purpose
  writeSmallSnapshot(saved);
  session.stop();

  const std::string commandLine = "\"" + saved + "\"";
  ASSERT_GT(commandLine.size(), 8u);
  ASSERT_TRUE(session.start(commandLine.c_str()));
  const size_t requestsBefore = session.dialogs.requests.size();
  session.dialogs.whileShown = [](auto&) {
    pumpUntil([] { return !fileChoice.startupFilePending; }, 3000);  // the file is due
  };
  runCommand(IDM_OPEN_BASELINE);
  session.dialogs.whileShown = nullptr;
  EXPECT_TRUE(pumpUntil([] { return viewState == VIEW_BASELINE; }, 10000));
  EXPECT_EQ(windowText(mainWindow), std::string("s.rsv - ") + kProgramTitle);
  runCommand(IDM_OPEN_BASELINE);
  EXPECT_EQ(session.dialogs.requests.size(), requestsBefore + 2) << "both opens asked";
  session.stop();
  ASSERT_TRUE(session.start(""));
}

// A copy of the program (with its favourites file) as `folder`\regKestrin.exe.
std::string copyProgram(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string program = folder + "regKestrin.exe";
  const std::string built = KESTRIN_PROGRAM_EXE;
  EXPECT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << built;
  CopyFileA((built.substr(0, built.size() - 14) + "faveList.txt").c_str(),
            (folder + "faveList.txt").c_str(), FALSE);
  return program;
}

// ソ (83 5C) and 表 (95 5C) end in a backslash's byte: copies in these folders keep
// names of their own and run side by side. A second start of one hands its file to
// that copy alone, which opens it, and ends.
TEST(SecondInstanceTest, ASecondStartHandsItsFileToItsOwnCopyAndEnds) {
  const std::string root = program_driver::makeScratchFolder("kestrin_instances");
  const std::string programs[2] = {copyProgram(root + "ソ\\"), copyProgram(root + "表\\")};
  const std::string options = root + "ソ\\options.dat";
  DeleteFileA(options.c_str());
  Session::get().ensureRunning();
  writeSmallSnapshot(root + "handed.rsv");
  LaunchedProcess copies[2];
  HWND windows[2] = {};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(launch(programs[i], "", copies[i]));
    // A copy has registered itself once its mapping (named after its path, backslashes
    // as slashes) exists; it holds the main window's handle.
    ASSERT_TRUE(pumpUntil([&] { return (windows[i] = registeredWindow(programs[i])) != nullptr; }));
  }

  LaunchedProcess second;
  ASSERT_TRUE(launch(programs[0], "\"" + root + "handed.rsv\"", second));
  EXPECT_EQ(WaitForSingleObject(second.info.hProcess, 30000), WAIT_OBJECT_0);
  DWORD secondExit = 1;
  GetExitCodeProcess(second.info.hProcess, &secondExit);
  EXPECT_EQ(secondExit, 0u);
  EXPECT_FALSE(fileExists(options)) << "the second instance wrote no options";
  EXPECT_TRUE(pumpUntil([&] { return windowText(windows[0]).rfind("handed.rsv - ", 0) == 0; },
                        10000));
  EXPECT_EQ(windowText(windows[1]).find("handed.rsv"), std::string::npos);

  // Both copies still run; closing them ends them normally.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(WaitForSingleObject(copies[i].info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageA(windows[i], WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(copies[i].info.hProcess, 30000), WAIT_OBJECT_0);
  }
}

}  // namespace
