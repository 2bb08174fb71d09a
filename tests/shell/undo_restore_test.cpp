// The undo hand-off end to end under Wine, with the real restore program in a process
// of its own: read the registry, change a test key (values changed, retyped, deleted
// and added; a subtree deleted), compare, hand the key to the restore program, answer
// its confirmation by pressing its button, read again: the comparison with the first
// reading finds nothing changed in the test key.
#include <gtest/gtest.h>

#include <string>

#include "engine/snapshot_store.h"
#include "resources/command_ids.h"
#include "restore/undo_request.h"
#include "restore_tool/restore_window.h"
#include "shell/app_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const std::string kTestKey = "Software\\KestrinUndoTest";

ItemIndex testKeyItem() { return findItem({"HKEY_CURRENT_USER", "Software", "KestrinUndoTest"}); }

TEST(UndoRestoreTest, TheRestoreProgramPutsTheTestKeyBackAsTheFirstReadingHadIt) {
  Session::get().ensureRunning();
  PROCESS_INFORMATION pellim{};
  ASSERT_TRUE(launch(KESTRIN_PELLIM_EXE, "", pellim));
  uint32_t handle = 0;
  ASSERT_TRUE(pumpUntil([&] { return restore::isRestoreToolRunning(&handle) && handle != 0; }));
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)));

  // The first reading, then the changes: values changed, retyped, deleted and added,
  // and a subtree deleted.
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
  setRegString(kTestKey, "changed", "before");
  setRegString(kTestKey, "deleted", "gone soon");
  setRegBytes(kTestKey, "retyped", REG_DWORD, std::string("\x05\0\0\0", 4));
  setRegBytes(kTestKey + "\\Doomed\\Leaf", "inner", REG_BINARY, std::string("\x01\x02\0\x04", 4));
  runCommand(IDM_READ_REGISTRY);
  setRegString(kTestKey, "changed", "after");
  setRegString(kTestKey, "retyped", "five");
  setRegString(kTestKey, "added", "new");
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kTestKey.c_str(), "deleted");
  RegDeleteTreeA(HKEY_CURRENT_USER, (kTestKey + "\\Doomed").c_str());
  runCommand(IDM_READ_REGISTRY);

  ItemIndex item = testKeyItem();
  ASSERT_NE(item, kNoItem);
  ASSERT_NE(keyRecord(currentStore(), item).summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED), 0);
  revealItem(item, 0);
  selectItem(item, false);
  ASSERT_FALSE(menuItemGreyed(IDM_UNDO_CHANGE));
  runCommand(IDM_UNDO_CHANGE);
  EXPECT_EQ(statusText(), " ペリムへ「元に戻す」要求完了");
  EXPECT_TRUE(menuItemGreyed(IDM_UNDO_CHANGE));

  // The restore program shows the list and waits for the user's word.
  HWND button = GetDlgItem(window, pellim::IDC_PELLIM_RESTORE);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowEnabled(button) != 0; }));
  SendMessageA(GetDlgItem(window, pellim::IDC_PELLIM_REMOVE_ADDED), BM_CLICK, 0, 0);
  SendMessageA(button, BM_CLICK, 0, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowEnabled(button); }));
  const std::string report = windowText(GetDlgItem(window, pellim::IDC_PELLIM_STATUS));
  EXPECT_NE(report.find("失敗 0 件"), std::string::npos) << report;

  runCommand(IDM_READ_REGISTRY);
  item = testKeyItem();
  ASSERT_NE(item, kNoItem);
  EXPECT_EQ(keyRecord(currentStore(), item).summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED), 0)
      << "the test key still differs from the first reading";

  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pellim.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(pellim.hProcess, 1);
  }
  CloseHandle(pellim.hProcess);
  CloseHandle(pellim.hThread);
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
  runCommand(IDM_CLOSE);
}

}  // namespace
