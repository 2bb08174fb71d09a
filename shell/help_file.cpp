#include "shell/help_file.h"

#include <windows.h>

#include <string>

#include "platform/message_box.h"
#include "shell/app_state.h"

namespace {

constexpr int kHtmlHelpOrdinal = 14;
constexpr UINT kHtmlHelpDisplayTopic = 0x0000;
constexpr UINT kHtmlHelpCloseAll = 0x0012;

const char kHelpCaption[] = "ゾルファン";
const char kHelpFileMissing[] = "ヘルプファイルが見つかりません。";
const char kHelpViewerMissing[] = "ヘルプを表示するプログラム (hhctrl.ocx) が見つかりません。";

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// HtmlHelpA of a loaded hhctrl.ocx; with `load` the library is loaded first.
HtmlHelpFunction htmlHelp(bool load) {
  HMODULE library = load ? LoadLibraryA("hhctrl.ocx") : GetModuleHandleA("hhctrl.ocx");
  if (!library) return nullptr;
  return reinterpret_cast<HtmlHelpFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
}

}  // namespace

void showHelpFile() {
  const DWORD attributes = GetFileAttributesA(helpFilePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::string text = kHelpFileMissing + std::string("\r\n") + helpFilePath;
    platform::showMessage(text.c_str(), kHelpCaption,
                          platform::kMsgOk | platform::kMsgIconWarning);
    return;
  }
  HtmlHelpFunction help = htmlHelp(true);
  if (!help) {
    platform::showMessage(kHelpViewerMissing, kHelpCaption,
                          platform::kMsgOk | platform::kMsgIconWarning);
    return;
  }
  help(mainWindow, helpFilePath.c_str(), kHtmlHelpDisplayTopic, 0);
}

void closeHelpWindows() {
  if (HtmlHelpFunction help = htmlHelp(false)) help(nullptr, nullptr, kHtmlHelpCloseAll, 0);
}
