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

HKEY openTestKey(const std::string& below = "") {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, (kTestKey + below).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                  nullptr, &key, nullptr);
  return key;
}

void setValue(HKEY key, const char* name, DWORD type, const std::string& data) {
  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                 static_cast<DWORD>(data.size()));
}

ItemIndex testKeyItem() {
  ItemIndex at = kNoItem;
  for (const char* name : {"HKEY_CURRENT_USER", "Software", "KestrinUndoTest"}) {
    at = findChild(currentStore(), at, name, false);
    if (at == kNoItem) return kNoItem;
  }
  return at;
}

TEST(UndoRestoreTest, TheRestoreProgramPutsTheTestKeyBackAsTheFirstReadingHadIt) {
  Session::get().ensureRunning();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION pellim{};
  std::string commandLine = std::string("\"") + KESTRIN_PELLIM_EXE + "\"";
  ASSERT_TRUE(CreateProcessA(KESTRIN_PELLIM_EXE, &commandLine[0], nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &pellim));
  uint32_t handle = 0;
  ASSERT_TRUE(pumpUntil([&] { return restore::isRestoreToolRunning(&handle) && handle != 0; }));
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)));

  // The first reading, then the changes: values changed, retyped, deleted and added,
  // and a subtree deleted.
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
  HKEY key = openTestKey();
  HKEY leaf = openTestKey("\\Doomed\\Leaf");
  setValue(key, "changed", REG_SZ, std::string("before", 7));
  setValue(key, "deleted", REG_SZ, std::string("gone soon", 10));
  setValue(key, "retyped", REG_DWORD, std::string("\x05\0\0\0", 4));
  setValue(leaf, "inner", REG_BINARY, std::string("\x01\x02\0\x04", 4));
  RegCloseKey(leaf);
  runCommand(IDM_READ_REGISTRY);
  setValue(key, "changed", REG_SZ, std::string("after", 6));
  setValue(key, "retyped", REG_SZ, std::string("five", 5));
  setValue(key, "added", REG_SZ, std::string("new", 4));
  RegDeleteValueA(key, "deleted");
  RegCloseKey(key);
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
