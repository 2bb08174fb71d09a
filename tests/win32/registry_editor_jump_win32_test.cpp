// The registry editor jump on Wine's registry: "LastKey" written behind the computer
// name the editor left there (or the default one), the warning once per run, the
// settings key never made, and the editor's start handed to the shell every time.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>

#include "navigation/registry_editor_jump.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory/recording_shell.h"

namespace {

const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

std::string lastKey() {
  char data[1024] = "";
  DWORD length = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, kSettings, "LastKey", RRF_RT_REG_SZ, nullptr, data, &length) != 0) return "?";
  return data;
}

TEST(RegistryEditorJumpWin32, WritesLastKeyBehindTheEditorsComputerNameAndStartsTheEditor) {
  const struct {
    const char* remembered;  // nullptr: no value
    DWORD type;
    const char* written;
  } cases[] = {
      {nullptr, REG_SZ, "マイ コンピュータ\\HKEY_USERS\\表示"},
      {"コンピューター\\HKEY_LOCAL_MACHINE\\SOFTWARE", REG_SZ, "コンピューター\\HKEY_USERS\\表示"},
      {"ソフト機\\HKEY_CLASSES_ROOT", REG_SZ, "ソフト機\\HKEY_USERS\\表示"},  // ソ ends in 0x5C
      {"Computer", REG_SZ, "Computer\\HKEY_USERS\\表示"},
      {"", REG_SZ, "マイ コンピュータ\\HKEY_USERS\\表示"},
      {"\\HKEY_USERS", REG_SZ, "マイ コンピュータ\\HKEY_USERS\\表示"},
      {"Computer\\X", REG_BINARY, "マイ コンピュータ\\HKEY_USERS\\表示"},
  };
  platform::ScopedMessages messages;
  platform::ScopedShell shell;
  forgetRegistryEditorWarning();
  HKEY settings;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings, nullptr), 0);
  for (const auto& c : cases) {
    RegDeleteValueA(settings, "LastKey");
    if (c.remembered) {
      RegSetValueExA(settings, "LastKey", 0, c.type, reinterpret_cast<const BYTE*>(c.remembered),
                     static_cast<DWORD>(strlen(c.remembered) + 1));
    }
    jumpToRegistryEditor("HKEY_USERS\\表示");
    EXPECT_EQ(lastKey(), c.written) << (c.remembered ? c.remembered : "(none)");
  }
  // A remembered key far longer than a name keeps its computer name.
  const std::string longKey = "Computer\\" + std::string(2000, 'k');
  RegSetValueExA(settings, "LastKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(longKey.c_str()),
                 static_cast<DWORD>(longKey.size() + 1));
  jumpToRegistryEditor("HKEY_USERS");
  EXPECT_EQ(lastKey(), "Computer\\HKEY_USERS");
  RegCloseKey(settings);
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettings);
  jumpToRegistryEditor("HKEY_USERS");
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &settings), 0);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "regedit呼び出し");
  EXPECT_EQ(messages.recorder.shown[0].flags, platform::kMsgOk | platform::kMsgIconWarning);
  ASSERT_EQ(shell.shell.requests.size(), std::size(cases) + 2);
  EXPECT_EQ(shell.shell.requests.back().verb + " " + shell.shell.requests.back().file, "open regedit.exe");
}

}  // namespace
