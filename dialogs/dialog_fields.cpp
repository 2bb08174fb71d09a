#include "dialogs/dialog_fields.h"

#include <algorithm>

#include "resources/command_ids.h"
#include "search/search_flags.h"
#include "search/search_history.h"
#include "shell/app_state.h"

namespace {

std::string toCp932(const wchar_t* text, int length) {
  if (length <= 0) return std::string();
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], bytes, nullptr, nullptr);
  return out;
}

}  // namespace

FieldSelection editSelection(HWND dialog, int id) {
  FieldSelection field;
  HWND edit = GetDlgItem(dialog, id);
  if (!edit) return field;
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(edit, &text[0], length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
  field.text = toCp932(text.c_str(), static_cast<int>(text.size()));
  field.start = toCp932(text.c_str(), static_cast<int>(start)).size();
  field.end = toCp932(text.c_str(), static_cast<int>(end)).size();
  return field;
}

HFONT fixedPitchFont() {
  static HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
  return font;
}

void startSearchFor(const std::string& text) {
  addSearchHistory(-1, text.c_str(),
                   SEARCH_MERGE_REQUEST | SEARCH_KEY_NAME | SEARCH_VALUE_NAME | SEARCH_VALUE_DATA);
  PostMessageA(mainWindow, WM_COMMAND, IDM_SEARCH, 0);
}
