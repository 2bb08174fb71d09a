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

const char kTestKey[] = "Software\\KestrinUndoTest";

HKEY openTestKey(const char* below = nullptr) {
  std::string path = kTestKey;
  if (below) path += std::string("\\") + below;
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

void setText(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text) + 1));
}

void makeTestKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  HKEY key = openTestKey();
  setText(key, "changed", "before");
  setText(key, "deleted", "gone soon");
  const DWORD five = 5;
  RegSetValueExA(key, "retyped", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), 4);
  RegCloseKey(key);
  HKEY doomed = openTestKey("Doomed\\Leaf");
  const BYTE bytes[] = {1, 2, 0, 4};
  RegSetValueExA(doomed, "inner", 0, REG_BINARY, bytes, sizeof bytes);
  setText(doomed, "", "default");
  RegCloseKey(doomed);
}

void changeTestKey() {
  HKEY key = openTestKey();
  setText(key, "changed", "after");
  setText(key, "retyped", "five");
  RegDeleteValueA(key, "deleted");
  setText(key, "added", "new");
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\Doomed").c_str());
}

ItemIndex testKeyItem() {
  ItemIndex at = kNoItem;
  for (const char* name : {"HKEY_CURRENT_USER", "Software", "KestrinUndoTest"}) {
    at = findChild(currentStore(), at, name, false);
    if (at == kNoItem) return kNoItem;
  }
  return at;
}

class UndoRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Session::get().ensureRunning();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = std::string("\"") + KESTRIN_PELLIM_EXE + "\"";
    ASSERT_TRUE(CreateProcessA(KESTRIN_PELLIM_EXE, &commandLine[0], nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &pellim_));
    uint32_t window = 0;
    ASSERT_TRUE(pumpUntil([&] { return restore::isRestoreToolRunning(&window) && window != 0; }));
    pellimWindow_ = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(window)));
  }
  void TearDown() override {
    if (pellimWindow_) PostMessageA(pellimWindow_, WM_CLOSE, 0, 0);
    if (pellim_.hProcess) {
      if (WaitForSingleObject(pellim_.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pellim_.hProcess, 1);
      }
      CloseHandle(pellim_.hProcess);
      CloseHandle(pellim_.hThread);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    runCommand(IDM_CLOSE);
  }

  HWND pellimControl(int id) { return GetDlgItem(pellimWindow_, id); }

  PROCESS_INFORMATION pellim_{};
  HWND pellimWindow_ = nullptr;
};

TEST_F(UndoRestoreTest, TheRestoreProgramPutsTheTestKeyBackAsTheFirstReadingHadIt) {
  makeTestKey();
  runCommand(IDM_READ_REGISTRY);
  changeTestKey();
  runCommand(IDM_READ_REGISTRY);
  ItemIndex key = testKeyItem();
  ASSERT_NE(key, kNoItem);
  ASSERT_NE(keyRecord(currentStore(), key).summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED), 0);

  revealItem(key, 0);
  selectItem(key, false);
  ASSERT_FALSE(menuItemGreyed(IDM_UNDO_CHANGE));
  runCommand(IDM_UNDO_CHANGE);
  EXPECT_EQ(statusText(), " ペリムへ「元に戻す」要求完了");
  EXPECT_TRUE(menuItemGreyed(IDM_UNDO_CHANGE));

  // The restore program shows the list and waits for the user's word.
  HWND button = pellimControl(pellim::IDC_PELLIM_RESTORE);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowEnabled(button) != 0; }, 30000));
  SendMessageA(pellimControl(pellim::IDC_PELLIM_REMOVE_ADDED), BM_CLICK, 0, 0);
  SendMessageA(button, BM_CLICK, 0, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowEnabled(button); }, 30000));
  EXPECT_NE(windowText(pellimControl(pellim::IDC_PELLIM_STATUS)).find("失敗 0 件"),
            std::string::npos)
      << windowText(pellimControl(pellim::IDC_PELLIM_STATUS));

  runCommand(IDM_READ_REGISTRY);
  key = testKeyItem();
  ASSERT_NE(key, kNoItem);
  EXPECT_EQ(keyRecord(currentStore(), key).summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED), 0)
      << "the test key still differs from the first reading";
}

}  // namespace
