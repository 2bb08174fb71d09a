// The property dialogs on real readings under Wine: a test key is read, changed and
// read again (a value changed, a subtree deleted), then the value, key and file
// dialogs are opened as the user opens them and their fields read back.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/file_property_dialog.h"
#include "platform/memory/recording_shell.h"
#include "rules/options.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "resources/version.h"
#include "search/search_history.h"
#include "shell/app_state.h"
#include "shell/feature_hooks.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"
#include "text/value_text.h"

namespace {

using namespace shell_test;

const std::string kTestKey = "Software\\KestrinPropsTest";
const std::string kTestPath = "HKEY_CURRENT_USER\\" + kTestKey;
const std::string kBlob(200 * 1024, '\x5A');

std::string field(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
  return text;
}

// The texts of several controls, joined with "|".
std::string fields(HWND dialog, std::initializer_list<int> ids) {
  std::string joined;
  for (int id : ids) joined += (joined.empty() ? "" : "|") + field(dialog, id);
  return joined;
}

ItemIndex child(ItemIndex key, const char* name, bool value = false) {
  return findChild(currentStore(), key, name, value);
}

class PropertyDialogsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Session::get().ensureRunning();
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
    setRegString(kTestKey + "\\Doomed\\Leaf", "inner", "x");
    setRegString(kTestKey, "changed", "before");
    setRegBytes(kTestKey, "list", REG_MULTI_SZ, std::string("C:\\one.dll\0two\0\0", 17));
    setRegBytes(kTestKey, "blob", REG_BINARY, kBlob);
    runCommand(IDM_READ_REGISTRY);
    setRegString(kTestKey, "changed", "after");
    RegDeleteTreeA(HKEY_CURRENT_USER, (kTestKey + "\\Doomed").c_str());
    runCommand(IDM_READ_REGISTRY);
    testKey = findItem({"HKEY_CURRENT_USER", "Software", "KestrinPropsTest"});
  }
  static void TearDownTestSuite() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
    runCommand(IDM_CLOSE);
  }
  static ItemIndex testKey;
};
ItemIndex PropertyDialogsTest::testKey = kNoItem;

TEST_F(PropertyDialogsTest, ChangedValueBesideItsBaselineAndItsSearchButton) {
  ASSERT_NE(kNoItem, testKey);
  const ItemIndex changed = child(testKey, "changed", true);
  ASSERT_EQ(STATE_DATA_CHANGED, valueRecord(currentStore(), changed & ~kValueItemBit).state);
  // Not through runCommand: its pumping would run the search command posted here.
  withDialog([&] { featureHooks.showItemProperties(changed); }, [](HWND dialog) {
    EXPECT_EQ(fields(dialog, {IDC_VALUE_SIZE, IDC_VALUE_KEY_PATH, IDC_VALUE_DATA, IDC_VALUE_BASE_DATA}),
              "      6|" + kTestPath + "|after|before");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_VALUE_REGEDIT)));
    // "KestrinProps" selected in the key field is what 検索 searches for.
    const int at = static_cast<int>(kTestPath.find("KestrinProps"));
    SendDlgItemMessageA(dialog, IDC_VALUE_KEY_PATH, EM_SETSEL, at, at + 12);
    SendMessageA(dialog, WM_COMMAND, IDC_VALUE_SEARCH, 0);
  });
  const SearchEntry* head = currentSearchEntry(searchHistory());
  ASSERT_NE(nullptr, head);
  EXPECT_STREQ("KestrinProps", head->text);
  EXPECT_EQ(0x8007, head->flags);
  MSG posted;
  ASSERT_TRUE(PeekMessageA(&posted, mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(static_cast<WPARAM>(IDM_SEARCH), posted.wParam);
}

// With the jump allowed, "RegEditを起動" leaves the value's key for the editor to open
// and starts it.
TEST_F(PropertyDialogsTest, RegEditButtonOpensTheEditorAtTheValuesKey) {
  ASSERT_NE(kNoItem, testKey);
  platform::ScopedShell shell;
  const char settings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  setRegString(settings, nullptr, "");  // the editor's settings, as after its first run
  const int32_t allowed = programOptions.entries[OPT_ALLOW_REGEDIT];
  programOptions.entries[OPT_ALLOW_REGEDIT] = 1;
  withDialog([&] { featureHooks.showItemProperties(child(testKey, "changed", true)); },
             [](HWND dialog) {
               ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_VALUE_REGEDIT)));
               SendMessageA(dialog, WM_COMMAND, IDC_VALUE_REGEDIT, 0);
             });
  programOptions.entries[OPT_ALLOW_REGEDIT] = allowed;
  ASSERT_EQ(1u, shell.shell.requests.size());
  EXPECT_EQ("regedit.exe", shell.shell.requests[0].file);
  char lastKey[1024] = "";
  DWORD length = sizeof lastKey;
  RegGetValueA(HKEY_CURRENT_USER, settings, "LastKey", RRF_RT_REG_SZ, nullptr, lastKey, &length);
  const std::string written = lastKey;
  ASSERT_NE(std::string::npos, written.find('\\')) << written;
  EXPECT_EQ("\\" + kTestPath, written.substr(written.find('\\'))) << written;
}

TEST_F(PropertyDialogsTest, MultiStringByDoubleClickAndLargeBinaryReadLive) {
  const ItemIndex list = child(testKey, "list", true);
  revealItem(list, 1);
  // A double click soon after the tree opened a key belongs to that opening.
  const DWORD start = GetTickCount();
  pumpUntil([&] { return GetTickCount() - start > GetDoubleClickTime(); });
  withDialog(
      [] {
        NMHDR click{treeWindow, static_cast<UINT_PTR>(kTreeViewId), static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(mainWindow, WM_NOTIFY, kTreeViewId, reinterpret_cast<LPARAM>(&click));
      },
      [](HWND dialog) {
        EXPECT_EQ(nullptr, GetDlgItem(dialog, IDC_VALUE_BASE_DATA));
        EXPECT_EQ(fields(dialog, {IDC_VALUE_TYPE, IDC_VALUE_DATA}), "REG_MULTI_SZ|C:\\one.dll\r\ntwo\r\n");
        SendMessageA(dialog, WM_COMMAND, IDC_VALUE_FILE_INFO, 0);  // the first string's file
        EXPECT_EQ("one.dll", field(filePropertiesWindow(), IDC_FILE_NAME));
        DestroyWindow(filePropertiesWindow());
      });

  const ItemIndex blob = child(testKey, "blob", true);
  ASSERT_TRUE(valueRecord(currentStore(), blob & ~kValueItemBit).flags & VF_DIGEST_ONLY);
  withDialog([&] { featureHooks.showItemProperties(blob); }, [](HWND dialog) {
    EXPECT_EQ("204,800", field(dialog, IDC_VALUE_SIZE));
    EXPECT_EQ(formatValueFull(reinterpret_cast<const uint8_t*>(kBlob.data()),
                              static_cast<int32_t>(kBlob.size()), REG_BINARY),
              field(dialog, IDC_VALUE_DATA));
  });
}

TEST_F(PropertyDialogsTest, DeletedKeyAndItsParent) {
  const ItemIndex doomed = child(testKey, "Doomed");
  ASSERT_EQ(STATE_DELETED, keyRecord(currentStore(), doomed).state);
  selectItem(testKey, false);
  withDialog([] { runCommand(IDM_PROPERTIES); }, [](HWND dialog) {
    EXPECT_EQ(windowText(dialog) + fields(dialog, {IDC_KEY_SUBKEYS, IDC_KEY_VALUES, IDC_KEY_CHANGED}),
              "キーのプロパティ        0|        3|        1");
    EXPECT_NE("", field(dialog, IDC_KEY_DELETED));
    EXPECT_NE("", field(dialog, IDC_KEY_TIME));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEY_TIME_LABEL)));
  });
  revealItem(doomed, 0);
  withDialog([] { runCommand(IDM_PROPERTIES); }, [](HWND dialog) {
    EXPECT_EQ(windowText(dialog) + fields(dialog, {IDC_KEY_SUBKEYS, IDC_KEY_VALUES,
                                                   IDC_KEY_TOTAL_SUBKEYS, IDC_KEY_TIME}),
              "キーのプロパティ（削除前）        1|        0|        1|");
  });
}

TEST_F(PropertyDialogsTest, FileDialogIsOneWindowRefilledForEachFile) {
  std::string program = KESTRIN_PROGRAM_EXE;  // its version resource is read back
  for (char& c : program) c = c == '/' ? '\\' : c;
  showFileProperties(("rundll32.exe \"" + program + "\",Entry").c_str());
  HWND dialog = filePropertiesWindow();
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(fields(dialog, {IDC_FILE_NAME, IDC_FILE_TYPE, IDC_FILE_VERSION, IDC_FILE_DESCRIPTION}),
            std::string("regKestrin.exe|Win") + (sizeof(void*) == 8 ? "64" : "32") +
                " アプリケーション|" KESTRIN_VERSION_TEXT
                "|ゾルファンケストリン　レジストリの変化を表示するソフト");
  EXPECT_EQ("バイト", field(dialog, IDC_FILE_SIZE).substr(12));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILE_EXPLORE)));
  // Moved and grown: the position is kept, the size never passes the first one.
  RECT first;
  GetWindowRect(dialog, &first);
  MoveWindow(dialog, 40, 30, first.right - first.left + 200, first.bottom - first.top - 50, TRUE);
  RECT moved;
  GetWindowRect(dialog, &moved);
  EXPECT_EQ(first.right - first.left, moved.right - moved.left);

  showFileProperties("C:\\Gone\\missing.exe");
  EXPECT_EQ(dialog, filePropertiesWindow());
  EXPECT_EQ(fields(dialog, {IDC_FILE_TYPE, IDC_FILE_VERSION, IDC_FILE_SIZE}), "ファイルが見付かりません||");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILE_EXPLORE)));

  showFileProperties("C:\\windows");
  EXPECT_EQ("フォルダ", field(dialog, IDC_FILE_TYPE));
  EXPECT_NE(std::string::npos, field(dialog, IDC_FILE_SIZE).find(" フォルダ, "));

  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(pumpUntil([] { return filePropertiesWindow() == nullptr; }));
  showFileProperties("C:\\windows");
  dialog = filePropertiesWindow();
  RECT again;
  GetWindowRect(dialog, &again);
  EXPECT_EQ(moved.left, again.left);
  EXPECT_EQ(moved.bottom - moved.top, again.bottom - again.top);
  DestroyWindow(dialog);
}

}  // namespace
