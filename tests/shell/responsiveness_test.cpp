// Long work keeps the window answering and nothing shown is stale: a read pumps messages
// and shows its progress; the tree starts under the toolbar's last button row at every
// width; no menu item is drawn enabled without work behind it; help says when its file
// is missing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/command_availability.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

class ResponsivenessTest : public ::testing::Test {
 protected:
  void SetUp() override { Session::get().ensureRunning(); }
};

TEST_F(ResponsivenessTest, AReadAnswersTheSystemAndShowsItsProgress) {
  HKEY bulk = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KestrinBulk", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &bulk, nullptr), ERROR_SUCCESS);
  for (int i = 0; i < 2500; ++i) {  // Wine's own registry is a little short of 20,000 keys
    HKEY child = nullptr;
    if (RegCreateKeyExA(bulk, ("鍵" + std::to_string(i)).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &child, nullptr) == ERROR_SUCCESS) RegCloseKey(child);
  }
  RegCloseKey(bulk);
  runCommand(IDM_CLOSE);
  // A second thread asks the window as the system does, and reads the status line.
  std::atomic<bool> done{false};
  std::vector<DWORD> waits;
  int progressTexts = 0;
  std::thread probe([&] {
    while (!done) {
      const DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      char text[512] = {};
      SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
      waits.push_back(GetTickCount() - start);
      SendMessageTimeoutA(statusWindow, WM_GETTEXT, sizeof text - 1,
                          reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &result);
      if (std::strstr(text, " キー)")) ++progressTexts;
      Sleep(20);
    }
  });
  runCommand(IDM_READ_REGISTRY);
  done = true;
  probe.join();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KestrinBulk");
  runCommand(IDM_CLOSE);

  ASSERT_GE(waits.size(), 10u) << "the read was too short to probe";
  std::sort(waits.begin(), waits.end());
  std::printf("[ figure   ] %zu probes during the read: median %lu ms, longest %lu ms\n",
              waits.size(), static_cast<unsigned long>(waits[waits.size() / 2]),
              static_cast<unsigned long>(waits.back()));
  // The wine server stops every registry call while it writes the registry to disk;
  // allow that rarely, never a frozen window.
  EXPECT_LE(std::count_if(waits.begin(), waits.end(), [](DWORD ms) { return ms > 200; }),
            static_cast<std::ptrdiff_t>(1 + waits.size() / 20));
  EXPECT_LT(waits.back(), 1500u);
  EXPECT_GE(progressTexts, 3) << "the status line did not follow the read";
}

TEST_F(ResponsivenessTest, TheTreeStartsUnderTheLastButtonRowAtEveryWidth) {
  ShowWindow(mainWindow, SW_RESTORE);
  for (int width : {320, 500, 1000, 500, 320}) {
    SetWindowPos(mainWindow, nullptr, 0, 0, width, 400, SWP_NOMOVE | SWP_NOZORDER);
    pumpPending();
    LONG buttons = 0;  // bottom of the lowest button, in the main window's client area
    for (int i = 0; i < SendMessageA(toolbarWindow, TB_BUTTONCOUNT, 0, 0); ++i) {
      RECT button;
      if (!SendMessageA(toolbarWindow, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button))) {
        continue;
      }
      MapWindowPoints(toolbarWindow, mainWindow, reinterpret_cast<POINT*>(&button), 2);
      buttons = std::max(buttons, button.bottom);
    }
    RECT tree;
    GetWindowRect(treeWindow, &tree);
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&tree), 2);
    // Neither rows hidden under the tree nor a band of empty toolbar above it.
    EXPECT_GE(tree.top, buttons) << "width " << width;
    EXPECT_LE(tree.top - buttons, 4) << "width " << width;
  }
}

// Every command item of `menu` and its popups, with whether it is drawn enabled.
void collectItems(HMENU menu, std::vector<std::pair<int, bool>>& items) {
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    if (info.hSubMenu) collectItems(info.hSubMenu, items);
    if (!info.hSubMenu && !(info.fType & MFT_SEPARATOR)) {
      items.emplace_back(static_cast<int>(info.wID), !(info.fState & MFS_GRAYED));
    }
  }
}

TEST_F(ResponsivenessTest, EveryItemDrawnEnabledLeadsToAnActionAndHelpSaysWhenItsFileIsMissing) {
  runCommand(IDM_CLOSE);
  for (int step = 0; step < 2; ++step) {
    std::vector<std::pair<int, bool>> items;
    collectItems(GetMenu(mainWindow), items);
    ASSERT_GT(items.size(), 40u);
    for (const auto& item : items) {
      if (item.second) {
        EXPECT_TRUE(commandAvailable(item.first)) << "id " << item.first;
      }
    }
    runCommand(IDM_READ_REGISTRY);
  }
  runCommand(IDM_CLOSE);

  const std::string saved = helpFilePath;
  helpFilePath = Session::get().scratchPath("missing.chm");
  Session::get().messages.shown.clear();
  SendMessageA(mainWindow, WM_COMMAND, IDM_HELP, 0);
  helpFilePath = saved;
  ASSERT_EQ(Session::get().messages.shown.size(), 1u);
  EXPECT_EQ(Session::get().messages.shown[0].text.rfind("ヘルプファイルが見つかりません。", 0), 0u);
}

}  // namespace
