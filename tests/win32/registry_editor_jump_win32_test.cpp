// The registry editor jump on Wine's registry: "LastKey" written behind the computer
// name the editor left there (or the default one, also when its settings key is
// missing), the warning once, the editor started.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "navigation/registry_editor_jump.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory/recording_shell.h"

namespace {

const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

TEST(RegistryEditorJumpWin32, WritesLastKeyBehindTheEditorsComputerNameAndStartsTheEditor) {
  const struct {
    const char* remembered;  // nullptr: no value
    DWORD type;
    const char* computer;
  } cases[] = {
      {nullptr, REG_SZ, "マイ コンピュータ"},
      {"ソフト機\\HKEY_USERS", REG_SZ, "ソフト機"},  // ソ ends in 0x5C
      {"Computer", REG_SZ, "Computer"},
      {"Computer\\X", REG_BINARY, "マイ コンピュータ"},
  };
  platform::ScopedMessages messages;
  platform::ScopedShell shell;
  forgetRegistryEditorWarning();
  // For a user who never ran the editor, its settings key is made.
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettings);
  jumpToRegistryEditor("HKEY_USERS\\表示");
  char made[1024] = "";
  DWORD madeLength = sizeof made;
  RegGetValueA(HKEY_CURRENT_USER, kSettings, "LastKey", RRF_RT_REG_SZ, nullptr, made, &madeLength);
  EXPECT_EQ(std::string(made), "マイ コンピュータ\\HKEY_USERS\\表示");
  HKEY settings;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings, nullptr), 0);
  for (const auto& c : cases) {
    RegDeleteValueA(settings, "LastKey");
    const DWORD size = c.remembered ? static_cast<DWORD>(std::strlen(c.remembered) + 1) : 0;
    if (c.remembered) RegSetValueExA(settings, "LastKey", 0, c.type, reinterpret_cast<const BYTE*>(c.remembered), size);
    jumpToRegistryEditor("HKEY_USERS\\表示");
    char written[1024] = "";
    DWORD length = sizeof written;
    RegGetValueA(settings, nullptr, "LastKey", RRF_RT_REG_SZ, nullptr, written, &length);
    EXPECT_EQ(std::string(written), std::string(c.computer) + "\\HKEY_USERS\\表示") << c.computer;
  }
  RegCloseKey(settings);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption + " " + std::to_string(messages.recorder.shown[0].flags), "regedit呼び出し 48");
  ASSERT_EQ(shell.shell.requests.size(), 5u);
  EXPECT_EQ(shell.shell.requests.back().verb + " " + shell.shell.requests.back().file, "open regedit.exe");
}

}  // namespace
