// The main window itself: its size limits and kept placement, the auto-check
// countdown of timer 2, and the once-only shutdown.
#include <gtest/gtest.h>

#include <string>

#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/deferred_commands.h"
#include "shell/main_window.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Session::get().ensureRunning();
    ASSERT_TRUE(mainWindow);
  }
  Session& session = Session::get();
};

TEST_F(MainWindowTest, MaximisedStateIsKeptForTheNextStart) {
  ShowWindow(mainWindow, SW_RESTORE);
  pumpPending();
  optionsDirty = false;
  ShowWindow(mainWindow, SW_MAXIMIZE);
  EXPECT_TRUE(pumpUntil([] { return IsZoomed(mainWindow) != 0; }, 5000));
  // Kept (options.dat written at the end only when a setting changed) and taken again.
  session.stop();
  ASSERT_TRUE(session.start());
  EXPECT_TRUE(pumpUntil([] { return IsZoomed(mainWindow) != 0; }, 5000));

  // Restored, the window takes a rectangle again and forgets the maximised state.
  ShowWindow(mainWindow, SW_RESTORE);
  pumpPending();
  SetWindowPos(mainWindow, nullptr, 30, 40, 700, 500, SWP_NOZORDER);
  pumpPending();
  session.stop();
  ASSERT_TRUE(session.start());
  EXPECT_FALSE(IsZoomed(mainWindow));
  EXPECT_EQ(programOptions.windowX, 30);
  EXPECT_EQ(programOptions.windowWidth, 700);
}

TEST_F(MainWindowTest, AutoCheckCountdownShowsTimeAndWaitsForARunningCommand) {
  startAutoCheckTimer(10);
  EXPECT_EQ(autoCheckCountdown, 60u);
  SendMessageA(mainWindow, WM_TIMER, kAutoCheckTimer, 0);
  EXPECT_EQ(statusText(), " 次の自動チェックは、9分50秒後");

  // Due while a command runs: owed until that command ends (automatic_check_test).
  autoCheckCountdown = 1;
  operationBusy = true;
  SendMessageA(mainWindow, WM_TIMER, kAutoCheckTimer, 0);
  EXPECT_EQ(statusText(), " 自動チェック保留中（操作完了待ち）");
  EXPECT_TRUE(autoCheckOwed());
  operationBusy = false;
  forgetOwedAutoCheck();
  startAutoCheckTimer(0);
}

// A check due while the user's reading runs (the tick posted, handled by its message
// pumping) or just before it (sent) runs beside it; only the user's reading asks.
TEST_F(MainWindowTest, AutomaticCheckDueAroundAReadingRunsBesideIt) {
  writeSmallSnapshot(session.scratchPath("check.rsv"));  // a check reads only its keys
  session.dialogs.answers.push_back(session.scratchPath("check.rsv"));
  runCommand(IDM_OPEN_BASELINE);
  runCommand(IDM_TOGGLE_AUTOCHECK);
  programOptions.entries[OPT_AUTO_SAVE_DIALOG] = 1;
  for (const bool posted : {true, false}) {
    const int reads = logCount(":レジストリの比較");
    const size_t dialogs = session.dialogs.requests.size();
    autoCheckCountdown = 1;
    if (posted) PostMessageA(mainWindow, WM_TIMER, kAutoCheckTimer, 0);
    if (!posted) SendMessageA(mainWindow, WM_TIMER, kAutoCheckTimer, 0);
    runCommand(IDM_READ_REGISTRY);
    EXPECT_TRUE(pumpUntil([&] { return logCount(":レジストリの比較") == reads + 2; }, 3000));
    EXPECT_EQ(session.dialogs.requests.size(), dialogs + 1) << posted;
    EXPECT_FALSE(autoCheckTriggered);
  }
  programOptions.entries[OPT_AUTO_SAVE_DIALOG] = 0;
  runCommand(IDM_CLOSE);
}

TEST_F(MainWindowTest, ShutdownRunsOnceAndWritesTheOptions) {
  const std::string options = session.folder() + "options.dat";
  DeleteFileA(options.c_str());
  optionsDirty = true;
  shutdownOnce();
  EXPECT_FALSE(initialised);
  EXPECT_NE(GetFileAttributesA(options.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(options.c_str());
  // The window's own end runs it again: nothing more happens.
  session.stop();
  EXPECT_EQ(GetFileAttributesA(options.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(session.start());
}

}  // namespace
