// Long work keeps the window answering, and what the window shows is never stale: a
// read of the registry pumps messages while it runs and shows how far it got; the
// toolbar's height follows each resize; no menu item is drawn enabled without work
// behind it; the help command says so when its file is missing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/command_availability.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const char kBulkKey[] = "Software\\KestrinResponsiveness";
constexpr int kBulkKeys = 2500;

class ResponsivenessTest : public ::testing::Test {
 protected:
  void SetUp() override { Session::get().ensureRunning(); }
};

// A second thread asks the window the way the system does (WM_NULL with a timeout) and
// notes how long each answer took and what the status line said.
class Probe {
 public:
  Probe() : thread_([this] { run(); }) {}
  ~Probe() { finish(); }
  void finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<DWORD> waits;
  std::set<std::string> statuses;

 private:
  void run() {
    while (!stop_) {
      const DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
      waits.push_back(GetTickCount() - start);
      char text[512] = {};
      SendMessageTimeoutA(statusWindow, WM_GETTEXT, sizeof text - 1,
                          reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &result);
      statuses.insert(text);
      Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void addBulkKeys() {
  HKEY bulk = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kBulkKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &bulk, nullptr),
            ERROR_SUCCESS);
  char name[32];
  for (int i = 0; i < kBulkKeys; ++i) {
    std::snprintf(name, sizeof name, "鍵%04d", i);
    HKEY child = nullptr;
    if (RegCreateKeyExA(bulk, name, 0, nullptr, 0, KEY_WRITE, nullptr, &child, nullptr) ==
        ERROR_SUCCESS) {
      RegCloseKey(child);
    }
  }
  RegCloseKey(bulk);
}

TEST_F(ResponsivenessTest, AReadAnswersTheSystemAndShowsItsProgress) {
  addBulkKeys();
  runCommand(IDM_CLOSE);
  Probe probe;
  runCommand(IDM_READ_REGISTRY);
  probe.finish();
  RegDeleteTreeA(HKEY_CURRENT_USER, kBulkKey);

  ASSERT_GE(probe.waits.size(), 10u) << "the read was too short to probe";
  std::vector<DWORD> sorted = probe.waits;
  std::sort(sorted.begin(), sorted.end());
  std::printf("[ figure   ] %zu probes during the read: median %lu ms, longest %lu ms\n",
              sorted.size(), static_cast<unsigned long>(sorted[sorted.size() / 2]),
              static_cast<unsigned long>(sorted.back()));
  // The wine server blocks every registry call while it writes the registry to disk
  // (a few hundred ms); allow that once, never a frozen window.
  const size_t slow = static_cast<size_t>(
      std::count_if(sorted.begin(), sorted.end(), [](DWORD ms) { return ms > 200; }));
  EXPECT_LE(slow, 1u + sorted.size() / 20);
  EXPECT_LT(sorted.back(), 1500u);
  int progressTexts = 0;
  for (const std::string& text : probe.statuses) {
    if (text.find(" キー)") != std::string::npos) ++progressTexts;
  }
  EXPECT_GE(progressTexts, 3) << "the status line did not follow the read";
  runCommand(IDM_CLOSE);
}

// The bottom of the toolbar's lowest button row, in the main window's client area.
LONG lowestButtonBottom() {
  LONG bottom = 0;
  const int buttons = static_cast<int>(SendMessageA(toolbarWindow, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < buttons; ++i) {
    RECT button;
    if (!SendMessageA(toolbarWindow, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button))) {
      continue;
    }
    MapWindowPoints(toolbarWindow, mainWindow, reinterpret_cast<POINT*>(&button), 2);
    bottom = std::max(bottom, button.bottom);
  }
  return bottom;
}

TEST_F(ResponsivenessTest, TheTreeStartsBelowTheLastButtonRowAfterEveryResize) {
  ShowWindow(mainWindow, SW_RESTORE);
  for (int width : {320, 500, 1000, 500, 320}) {
    SetWindowPos(mainWindow, nullptr, 0, 0, width, 400, SWP_NOMOVE | SWP_NOZORDER);
    pumpPending();
    RECT tree;
    GetWindowRect(treeWindow, &tree);
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&tree), 2);
    const LONG buttons = lowestButtonBottom();
    // Neither hidden under the tree nor a band of empty toolbar above it.
    EXPECT_GE(tree.top, buttons) << "width " << width;
    EXPECT_LE(tree.top - buttons, 4) << "width " << width;
  }
}

// Every command item of the main menu, with whether it is drawn enabled.
void collectItems(HMENU menu, std::vector<std::pair<int, bool>>& items) {
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    if (info.hSubMenu) {
      collectItems(info.hSubMenu, items);
    } else if (!(info.fType & MFT_SEPARATOR)) {
      items.emplace_back(static_cast<int>(info.wID), !(info.fState & MFS_GRAYED));
    }
  }
}

TEST_F(ResponsivenessTest, EveryItemDrawnEnabledLeadsToAnAction) {
  runCommand(IDM_CLOSE);
  for (int step = 0; step < 2; ++step) {
    std::vector<std::pair<int, bool>> items;
    collectItems(GetMenu(mainWindow), items);
    ASSERT_GT(items.size(), 40u);
    for (const auto& item : items) {
      if (!item.second) continue;
      EXPECT_TRUE(commandAvailable(item.first)) << "id " << item.first;
    }
    runCommand(IDM_READ_REGISTRY);
  }
  runCommand(IDM_CLOSE);
}

TEST_F(ResponsivenessTest, HelpWithoutItsFileSaysSo) {
  const std::string saved = helpFilePath;
  helpFilePath = Session::get().scratchPath("missing.chm");
  Session::get().messages.shown.clear();
  SendMessageA(mainWindow, WM_COMMAND, IDM_HELP, 0);
  helpFilePath = saved;
  ASSERT_EQ(Session::get().messages.shown.size(), 1u);
  EXPECT_EQ(Session::get().messages.shown[0].text.rfind("ヘルプファイルが見つかりません。", 0), 0u);
}

}  // namespace
