#include "navigation/registry_editor_jump.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/shell_execute.h"
#include "text/cp932.h"

namespace {

const char kSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
const char kLastKeyValue[] = "LastKey";
const char kDefaultComputerNode[] = "マイ コンピュータ\\";
// Read, create subkeys and set values. The settings key is made when it is missing (the
// editor has never run for this user): otherwise the jump would start the editor at its
// default place, silently.
constexpr uint32_t kSettingsAccess = platform::kRegRead | 0x0004 | 0x0002;
// A remembered key longer than this is not read: the default computer name is used.
constexpr uint32_t kLastKeyMaxBytes = 65536;

const char kWarningCaption[] = "regedit呼び出し";
const char kWarningText[] =
    "RegEditを起動します。このメッセージは最初だけ表示します。\n\n"
    "RegEditでレジストリを修正することは、とても危険な操作です。\n"
    "誤った修正を行なうと、システムの動作がおかしくなるだけでなく、\n"
    "Windowsを再インストールしなければならなくなることがあります。\n"
    "従って、レジストリの修正は、安全であることを確認済みか\n"
    "或いは、やむを得ずリスクを承知している場合のみ行なって下さい。\n\n"
    "レジストリの修正は、RegEditの表示する情報が目的のものである\n"
    "ことを確認の上、全てユーザ様の責任で行なって下さい。";

bool warningShown = false;

// The computer node of the remembered key, with its backslash: the text up to and
// including the first backslash (stepping over double-byte characters, whose second
// byte may be 0x5C), or the whole text and a backslash when it names the node alone.
// The default name when nothing usable is remembered.
std::string computerNode(platform::RegKey settings) {
  platform::RegistrySeam& registry = platform::registry();
  uint32_t type = 0;
  uint32_t length = 0;
  if (registry.queryValue(settings, kLastKeyValue, &type, nullptr, &length) != platform::kRegOk ||
      type != kRegSz || length == 0 || length > kLastKeyMaxBytes) {
    return kDefaultComputerNode;
  }
  std::vector<uint8_t> data(length);
  if (registry.queryValue(settings, kLastKeyValue, &type, data.data(), &length) !=
          platform::kRegOk ||
      type != kRegSz) {
    return kDefaultComputerNode;
  }
  const char* text = reinterpret_cast<const char*>(data.data());
  const size_t filled = std::min<size_t>(length, data.size());
  const void* nul = std::memchr(text, '\0', filled);
  const size_t size = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : filled;
  size_t at = 0;
  while (at < size && text[at] != '\\') at += cp932::isLeadByte(text[at]) && at + 1 < size ? 2 : 1;
  if (at == 0) return kDefaultComputerNode;
  return std::string(text, at) + '\\';
}

}  // namespace

void jumpToRegistryEditor(const char* keyPath) {
  if (!warningShown) {
    platform::showMessage(kWarningText, kWarningCaption, platform::kMsgOk | platform::kMsgIconWarning);
    warningShown = true;
  }
  platform::RegistrySeam& registry = platform::registry();
  platform::RegKey settings = 0;
  if (keyPath && registry.createKey(platform::kHkeyCurrentUser, kSettingsKey, kSettingsAccess,
                                    &settings) == platform::kRegOk) {
    const std::string lastKey = computerNode(settings) + keyPath;
    registry.setValue(settings, kLastKeyValue, kRegSz,
                      reinterpret_cast<const uint8_t*>(lastKey.c_str()),
                      static_cast<uint32_t>(lastKey.size() + 1));
    registry.closeKey(settings);
  }
  platform::shellExecute("open", "regedit.exe", nullptr, platform::kShowNormal);
}

void openInRegistryEditor(ItemIndex key) {
  jumpToRegistryEditor(buildItemPath(currentStore(), key, 0).c_str());
}

void forgetRegistryEditorWarning() { warningShown = false; }
