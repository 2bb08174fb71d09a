#include "restore/undo_request.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/files.h"
#include "platform/message_box.h"
#include "restore/undo_list_format.h"
#include "restore/undo_list_writer.h"

namespace restore {

const char kUndoRefusedText[] =
    "値を持たないエントリがたくさんあるので、元に戻すことが出来ません。";
const char kUndoCaption[] = "ペリムで元に戻す";

namespace {

uint32_t readWord(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void writeWord(uint8_t* at, uint32_t word) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(word >> (8 * i));
}

}  // namespace

bool isRestoreToolRunning(uint32_t* window) {
  std::unique_ptr<platform::SharedBlock> block =
      platform::sharedMemory().open(kSharedBlockName, kSharedBlockSize, false);
  if (!block) return false;
  if (window) *window = readWord(block->bytes() + kBlockWindowOffset);
  return true;
}

bool sendUndoRequest(const std::string& path) {
  if (path.size() + 1 > kBlockPathRoom) return false;
  std::unique_ptr<platform::SharedBlock> block =
      platform::sharedMemory().open(kSharedBlockName, kSharedBlockSize, true);
  if (!block) return false;
  uint8_t* bytes = block->bytes();
  // The path first, its length after: a reader that sees the length sees the path.
  std::memcpy(bytes + kBlockPathOffset, path.c_str(), path.size() + 1);
  writeWord(bytes + kBlockLengthOffset, static_cast<uint32_t>(path.size() + 1));
  // Whether the message was posted is not checked: the request has been placed.
  platform::windowPost().postCommand(readWord(bytes + kBlockWindowOffset), kUndoRequestCommand);
  return true;
}

UndoOutcome undoWithRestoreTool(SnapshotStore& current, SnapshotStore& baseline, ItemIndex item) {
  const UndoListBuild build = buildUndoList(current, baseline, item);
  if (!build.complete) return UNDO_NOT_WRITTEN;
  const std::string path = platform::programFolder() + kUndoListFileName;
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return UNDO_NOT_WRITTEN;
    file.write(build.bytes.data(), static_cast<std::streamsize>(build.bytes.size()));
    file.close();
    if (!file) {
      std::remove(path.c_str());
      return UNDO_NOT_WRITTEN;
    }
  }
  if (undoListRefused(build)) {
    platform::showMessage(kUndoRefusedText, kUndoCaption, platform::kMsgIconWarning);
    std::remove(path.c_str());
    return UNDO_REFUSED;
  }
  return sendUndoRequest(path) ? UNDO_SENT : UNDO_SEND_FAILED;
}

const char* undoOutcomeStatusText(UndoOutcome outcome) {
  switch (outcome) {
    case UNDO_SENT: return "ペリムへ「元に戻す」要求完了";
    case UNDO_SEND_FAILED: return "ペリムへ要求した「元に戻す」が失敗";
    default: return nullptr;
  }
}

void initRestoreBlock(platform::SharedBlock& block, uint32_t window) {
  std::memset(block.bytes(), 0, block.size());
  writeWord(block.bytes() + kBlockWindowOffset, window);
}

bool takeUndoRequest(platform::SharedBlock& block, std::string* path) {
  uint8_t* bytes = block.bytes();
  const uint32_t length = readWord(bytes + kBlockLengthOffset);
  writeWord(bytes + kBlockLengthOffset, 0);
  if (length == 0 || length > kBlockPathRoom) return false;
  const char* text = reinterpret_cast<const char*>(bytes + kBlockPathOffset);
  if (text[length - 1] != '\0' || std::memchr(text, '\0', length - 1) != nullptr) return false;
  path->assign(text, length - 1);
  return !path->empty();
}

}  // namespace restore
