// Drives the real program in this test process: start-up as the program runs it
// (window, menus, toolbar, tree, status line), commands sent as WM_COMMAND with the
// real ids, message boxes and file dialogs answered through the platform seams.
//
// The program keeps its settings in a folder of its own under the system's
// temporary folder, so options.dat and the rule files of the build are never
// touched. Waiting is done by pumping messages until a condition holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "engine/snapshot_store.h"
#include "platform/memory/recording_file_dialogs.h"
#include "platform/memory/recording_messages.h"

namespace shell_test {

// The running program. start() and stop() may be called any number of times; the
// seams stay installed for the whole test program.
class Session {
 public:
  static Session& get();

  // Start-up with `commandLine` (as the entry function gets it). False when the
  // program ended during start-up.
  bool start(const char* commandLine = "");
  // Closes the window as "終了" does and pumps until it is gone.
  void stop();
  bool running() const;
  // Starts the program unless it runs.
  void ensureRunning();

  // The program's folder (with its trailing backslash) and a scratch folder for
  // snapshot files.
  const std::string& folder() const { return folder_; }
  std::string scratchPath(const char* name) const;

  platform::RecordingMessages messages;
  platform::RecordingFileDialogs dialogs;

 private:
  Session();
  std::string folder_;
  std::string programPath_;
};

// Pumps messages until `condition` holds; false after `timeoutMs`.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);
// Handles whatever is queued now.
void pumpPending();
// Runs a command as the menu does, to its end (nested message pumping included).
void runCommand(int id);

std::string windowText(HWND window);
std::string statusText();

// The tree.
std::vector<HTREEITEM> childItems(HTREEITEM parent);  // TVI_ROOT for the top level
std::string itemText(HTREEITEM item);
// The fields of `item` named by `mask` (TVIF_*; not the text).
TVITEMA itemFields(HTREEITEM item, UINT mask);
int itemImage(HTREEITEM item);
LPARAM itemReference(HTREEITEM item);
HTREEITEM itemOf(ItemIndex reference);  // from the store's record; null when none

// How often `tag` stands in the operation log (the ring outlasts any one test).
int logCount(const char* tag);
// This thread's key state, as real key input leaves it for GetKeyState.
void setKeyDown(int virtualKey, bool down);
// Key-down (with the character TranslateMessage would add, unless 0) and key-up
// sent to the tree, which has the focus while the user types.
void typeInTree(WPARAM key, char character);
// A snapshot file of the five roots alone, written by the program (nothing shown).
void writeSmallSnapshot(const std::string& path);
// The window registered under the instance name of `programPath`; null while none.
HWND registeredWindow(const std::string& programPath);

// The record reached from the top through `keys` (kNoItem when one is missing), or
// the reference of its value `value` (with the value bit).
ItemIndex findItem(std::initializer_list<const char*> keys, const char* value = nullptr);
// The newest operation-log entry, and an item's reference as the log writes it.
std::string newestLog();
std::string hexOf(ItemIndex item);
bool fileExists(const std::string& path);

// Test keys under HKEY_CURRENT_USER, made where missing: a string value (its
// terminator added), raw bytes of any type, or the key alone when `name` is null.
void setRegString(const std::string& key, const char* name, const std::string& text,
                  DWORD type = REG_SZ);
void setRegBytes(const std::string& key, const char* name, DWORD type, const std::string& bytes);

// Writes the snapshot `build` makes in the current store (five roots first) to `path`
// and opens it with `command` (IDM_OPEN_BASELINE closes what is shown first).
void openBuiltSnapshot(int command, const std::string& path, const std::function<void()>& build);

// Modal dialogs driven from a thread timer inside their own message loop: each step
// runs once the window titled `first` is up (null: the main window's active popup).
// A step that never comes, or a dialog left open after the last, is cancelled so a
// fault fails instead of hanging.
using DialogStep = std::pair<const char*, std::function<void(HWND)>>;
void driveDialogs(const std::function<void()>& open, std::deque<DialogStep> steps);
// The common case: `inspect` reads the dialog `open` shows, which is then closed with OK
// unless `inspect` closed it.
void withDialog(const std::function<void()>& open, const std::function<void(HWND)>& inspect);

// A process started by a test. One still running when it goes out of scope is ended,
// so a scenario stopped by a failed assertion leaves nothing behind that would keep
// the test run's output open.
struct LaunchedProcess {
  PROCESS_INFORMATION info{};
  LaunchedProcess() = default;
  LaunchedProcess(const LaunchedProcess&) = delete;
  LaunchedProcess& operator=(const LaunchedProcess&) = delete;
  ~LaunchedProcess();
};

// Starts `program` with `arguments` in a process of its own.
bool launch(const std::string& program, const std::string& arguments, LaunchedProcess& process);

// Whether the main menu shows `id` greyed.
bool menuItemGreyed(int id);
bool menuItemChecked(int id);
std::string menuItemText(int id);

}  // namespace shell_test
