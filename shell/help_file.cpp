#include "shell/help_file.h"

#include <windows.h>

#include "shell/app_state.h"

namespace {

constexpr int kHtmlHelpOrdinal = 14;
constexpr UINT kHtmlHelpDisplayTopic = 0x0000;
constexpr UINT kHtmlHelpCloseAll = 0x0012;

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
  if (HtmlHelpFunction help = htmlHelp(true)) {
    help(mainWindow, helpFilePath.c_str(), kHtmlHelpDisplayTopic, 0);
  }
}

void closeHelpWindows() {
  if (HtmlHelpFunction help = htmlHelp(false)) help(nullptr, nullptr, kHtmlHelpCloseAll, 0);
}
