// Timing of opening a key with 10,000 and one with 100,000 subkeys in the tree, as a
// user opens them: the real program runs in this process on an in-memory registry
// whose HKEY_CURRENT_USER\Big10000 and Big100000 hold "Sub000000".. (one value each).
// After the
// read (command 32777) each key is revealed and selected, and each run sends the
// tree the Right arrow key, which opens the selected item through the tree's own
// open notification; the run ends when the items are inserted and the tree has
// painted once. Between runs the tree is rebuilt from the top-level keys, so every
// run opens a key that has never been open in the tree.
//
// Usage: tree_timing [runs]   (default 5). Prints
//   figure tree.open_10000_s <s> s      median time of one open of 10,000 subkeys
//   figure tree.open_100000_s <s> s     the same for 100,000 subkeys
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/memory/recording_file_dialogs.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/program_driver.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"

namespace {

constexpr int kSubkeyCounts[] = {10000, 100000};
constexpr DWORD kTimeoutMs = 120000;

using program_driver::pumpPending;

bool pumpUntil(const std::function<bool()>& condition) {
  return program_driver::pumpUntil(condition, kTimeoutMs);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::string bigKeyName(int count) { return "Big" + std::to_string(count); }

void fillRegistry(platform::MemoryRegistry& registry, int count) {
  const std::string big = "HKEY_CURRENT_USER\\" + bigKeyName(count);
  registry.addKeyPath(big);
  char name[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "Sub%06d", i);
    registry.putValue(big + "\\" + name, "Data", kRegSz, std::string("value ") + name + '\0');
  }
}

using program_driver::childItemCount;

bool fail(const char* what) {
  std::fprintf(stderr, "tree_timing: %s\n", what);
  return false;
}

// "Big" shown closed and selected, as before a user opens it.
bool showBigClosed(ItemIndex big) {
  clearTree();
  showTopLevelKeys(0);
  revealItem(big, 0);
  HTREEITEM item = treeItemOf(big);
  if (!item) return fail("\"Big\" has no tree item after revealing it");
  if (childItemCount(item) != 0) return fail("\"Big\" is open before the run");
  UpdateWindow(treeWindow);
  pumpPending();
  return true;
}

// One open of "Big" by the Right arrow key; seconds until its children are in the
// tree and painted, or a negative number when the open did not fill the key.
double timedOpen(ItemIndex big, int count) {
  HTREEITEM item = treeItemOf(big);
  SetFocus(treeWindow);
  const auto start = std::chrono::steady_clock::now();
  SendMessageA(treeWindow, WM_KEYDOWN, VK_RIGHT, 0);
  UpdateWindow(treeWindow);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  SendMessageA(treeWindow, WM_KEYUP, VK_RIGHT, 0);
  const int children = childItemCount(item);
  if (children != count) {
    std::fprintf(stderr, "tree_timing: \"Big\" shows %d children after opening, not %d\n",
                 children, count);
    return -1;
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  platform::MemoryRegistry registry;
  for (int count : kSubkeyCounts) fillRegistry(registry, count);
  platform::setRegistrySeam(&registry);
  platform::RecordingMessages messages;
  platform::RecordingFileDialogs dialogs;
  platform::setMessageSeam(&messages);
  platform::setFileDialogSeam(&dialogs);
  // Settings go to a scratch folder, never beside the build's programs.
  const std::string folder = program_driver::makeScratchFolder("kestrin_tree_timing");
  const std::string program = folder + "regKestrin.exe";
  platform::overrideProgramLocation(program.c_str(), folder.c_str());

  bool ok = startProgram(GetModuleHandleA(nullptr), "", SW_SHOWNORMAL) || fail("start-up failed");
  if (ok) {
    SendMessageA(mainWindow, WM_COMMAND, IDM_READ_REGISTRY, 0);
    ok = pumpUntil([] { return !operationBusy && !(viewState & VIEW_READING); }) ||
         fail("the read did not end");
  }
  std::vector<double> medians;
  for (int count : kSubkeyCounts) {
    ItemIndex big = kNoItem;
    if (ok) {
      const ItemIndex user = findChild(currentStore(), kNoItem, "HKEY_CURRENT_USER", false);
      big = user == kNoItem ? kNoItem
                            : findChild(currentStore(), user, bigKeyName(count).c_str(), false);
      ok = big != kNoItem || fail("the read lacks a key of the timing");
    }
    if (ok && keyRecord(currentStore(), big).childCount != count) {
      ok = fail("the read did not take all subkeys of a key of the timing");
    }
    std::vector<double> times;
    for (int run = 0; ok && run < runs; ++run) {
      ok = showBigClosed(big);
      if (!ok) break;
      const double seconds = timedOpen(big, count);
      ok = seconds >= 0;
      if (ok) {
        std::printf("%d subkeys, run %d: %.3f s\n", count, run + 1, seconds);
        times.push_back(seconds);
      }
    }
    if (ok) medians.push_back(median(times));
  }
  for (const platform::ShownMessage& shown : messages.shown) {
    std::fprintf(stderr, "tree_timing: message box answered OK: [%s] %s\n", shown.caption.c_str(),
                 shown.text.c_str());
  }

  if (mainWindow && IsWindow(mainWindow)) SendMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0);
  pumpPending();
  shutdownOnce();
  platform::setRegistrySeam(nullptr);
  platform::setMessageSeam(nullptr);
  platform::setFileDialogSeam(nullptr);
  platform::overrideProgramLocation(nullptr, nullptr);
  program_driver::removeScratchFolder(folder);

  if (!ok) return 1;
  std::printf("figure tree.open_10000_s %.3f s\n", medians[0]);
  std::printf("figure tree.open_100000_s %.3f s\n", medians[1]);
  return 0;
}
