// The restore program's window driven in-process under Wine: requests arrive as the
// program receives them (the block, then command 10100), the list view is read back,
// the button is pressed, and the in-memory registry shows what was changed.
#include "restore_tool/restore_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "platform/memory_shared_memory.h"
#include "restore/undo_list_format.h"
#include "restore/undo_request.h"
#include "tests/restore/undo_test_support.h"

namespace {

using namespace undo_test;

const std::string kApp = "HKEY_CURRENT_USER\\Software\\App";

class RestoreWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setSharedMemorySeam(&shared);
    platform::setWindowPostSeam(&posts);
    platform::setRegistrySeam(&registry);
    block = shared.create(restore::kSharedBlockName, restore::kSharedBlockSize, nullptr);
    window = pellim::createRestoreWindow(GetModuleHandleA(nullptr), block.get());
    ASSERT_NE(window, nullptr);
    restore::initRestoreBlock(*block, 1);
    list = GetDlgItem(window, pellim::IDC_PELLIM_LIST);
    registry.putValue(kApp, "changed", 4, std::string("\x07\x00\x00\x00", 4));
    registry.putValue(kApp, "added", 1, sz("new"));
  }
  void TearDown() override {
    DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    platform::setRegistrySeam(nullptr);
    platform::setSharedMemorySeam(nullptr);
    platform::setWindowPostSeam(nullptr);
  }

  // Writes `bytes` as the undo list and hands it over as regKestrin does.
  void request(const std::string& bytes) {
    const std::string path = ::testing::TempDir() + "undoList.$$$";
    std::ofstream(path, std::ios::binary) << bytes;
    ASSERT_TRUE(restore::sendUndoRequest(path));
    SendMessageA(window, WM_COMMAND, restore::kUndoRequestCommand, 0);
  }
  std::string cell(int row, int column) {
    char text[512] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int rows() { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
  std::string status() {
    char text[512] = "";
    GetWindowTextA(GetDlgItem(window, pellim::IDC_PELLIM_STATUS), text, sizeof text);
    return text;
  }
  void press(int id) { SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0); }
  bool hasValue(const std::string& key, const char* name) {
    return valueOf(registry, key, name).front() != '<';
  }

  const std::string goodList =
      kStart + text(2, 0, 2, kApp) + text(4, 9, 3, "changed") +
      data(0, 4, std::string("\x07\x00\x00\x00", 4)) + data(1, 1, sz("before")) +
      text(4, 10, 3, "added") + data(0, 1, sz("new")) + text(4, 11, 3, "deleted") +
      data(0, 1, sz("kept")) + text(3, 7, 3, "Old") + kEnd;

  platform::MemorySharedMemory shared;
  platform::RecordingWindowPost posts;
  platform::MemoryRegistry registry;
  platform::ScopedMessages messages;
  std::unique_ptr<platform::SharedBlock> block;
  HWND window = nullptr;
  HWND list = nullptr;
};

TEST_F(RestoreWindowTest, ShowsTheRequestAndChangesTheRegistryOnlyWithTheButton) {
  request(goodList);
  ASSERT_EQ(rows(), 4);
  EXPECT_EQ(cell(0, 0), kApp);
  EXPECT_EQ(cell(0, 1), "changed");
  EXPECT_EQ(cell(0, 2), "[REG_SZ] before");
  EXPECT_EQ(cell(3, 0), kApp + "\\Old");
  EXPECT_FALSE(hasValue(kApp, "deleted"));
  press(pellim::IDC_PELLIM_RESTORE);
  EXPECT_TRUE(hasValue(kApp, "deleted"));
  EXPECT_TRUE(hasValue(kApp, "added"));  // not ticked: additions stay
  EXPECT_TRUE(registry.keyExists(kApp + "\\Old"));
  EXPECT_EQ(cell(0, 5), "完了");
  EXPECT_EQ(cell(1, 5), "そのまま");
  EXPECT_NE(status().find("成功 3 件、失敗 0 件、そのまま 1 件"), std::string::npos) << status();
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, pellim::IDC_PELLIM_RESTORE)));
  EXPECT_TRUE(messages.recorder.shown.empty());
}

TEST_F(RestoreWindowTest, AFailedWriteIsShownAndTheOtherRowsAreDone) {
  registry.addKeyPath(kApp + "\\Old");
  registry.failOpen(kApp + "\\Old", platform::kRegAccessDenied);
  request(goodList);
  press(pellim::IDC_PELLIM_RESTORE);
  EXPECT_EQ(cell(3, 5), "失敗 (5)");
  EXPECT_TRUE(hasValue(kApp, "deleted"));
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "ペリム");
}

TEST_F(RestoreWindowTest, ADamagedListIsRefusedWithAMessageAndChangesNothing) {
  request(goodList.substr(0, goodList.size() - 3));
  EXPECT_EQ(rows(), 0);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].text.find("元に戻すリストが途中で切れています。"), 0u);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, pellim::IDC_PELLIM_RESTORE)));
  EXPECT_FALSE(hasValue(kApp, "deleted"));
  SendMessageA(window, WM_COMMAND, restore::kUndoRequestCommand, 0);  // nothing pending
  EXPECT_EQ(messages.recorder.shown.size(), 1u);
}

}  // namespace
