#include "text/auto_check_log.h"

#include <cstdio>
#include <fstream>

#include "engine/store_walk.h"
#include "platform/message_box.h"
#include "platform/shell_execute.h"
#include "text/change_details.h"
#include "text/cp932.h"
#include "text/listing_values.h"

const char kAutoCheckLogName[] = "ケストリンログ.txt";

namespace {

// True when `folder` ends in a path separator. A cp932 trail byte can be 0x5C, so
// the folder is read character by character: "…表" ends in 0x5C without ending in
// a backslash.
bool endsInSeparator(const std::string& folder) {
  bool separator = false;
  for (size_t at = 0; at < folder.size();) {
    if (cp932::isLeadByte(folder[at]) && at + 1 < folder.size()) {
      separator = false;
      at += 2;
      continue;
    }
    separator = folder[at] == '\\' || folder[at] == '/';
    ++at;
  }
  return separator;
}

}  // namespace

std::string autoCheckLogPath(const std::string& dataFolder) {
  if (dataFolder.empty() || endsInSeparator(dataFolder)) return dataFolder + kAutoCheckLogName;
  return dataFolder + "\\" + kAutoCheckLogName;
}

std::string autoCheckResultBlock(SnapshotStore& current, SnapshotStore& baseline,
                                 const AutoCheckRun& run) {
  std::string block = "★★★★★★★★★★★★★★★★★★★★★★★★★★★★★★";
  char line[160];
  std::snprintf(line, sizeof line, "\n自動チェックの結果：　%d.%02d.%02d %02d:%02d:%02d\n",
                run.now.year, run.now.month, run.now.day, run.now.hour, run.now.minute,
                run.now.second);
  block += line;
  const StatusCounts& c = run.counts;
  if (c.changes() == 0) {
    block += "　　　　　　　　　　　変化無し\n";
    return block;
  }
  if (run.keysOnly) {
    std::snprintf(line, sizeof line, "追加key %d, 削除key %d\n", static_cast<int>(c.addedKeys),
                  static_cast<int>(c.deletedKeys));
  } else {
    std::snprintf(line, sizeof line, "追加key %d, 削除key %d, 不一致 %d, 追加 %d, 削除 %d\n",
                  static_cast<int>(c.addedKeys), static_cast<int>(c.deletedKeys),
                  static_cast<int>(c.changedValues), static_cast<int>(c.addedValues),
                  static_cast<int>(c.deletedValues));
  }
  block += line;
  block += "\n";
  // The details are measured first, then written into the string in one piece.
  ListingValueReader values(run.viewState);
  ListingSink measure;
  emitChangeDetails(measure, current, baseline, 0, true, run.viewState, values,
                    ChangeStyle::kLog);
  const size_t start = block.size();
  block.resize(start + measure.length());
  ListingSink write(&block[start], measure.length());
  emitChangeDetails(write, current, baseline, 0, true, run.viewState, values, ChangeStyle::kLog);
  block.resize(start + write.length());
  return block;
}

bool appendAutoCheckResult(const std::string& logPath, SnapshotStore& current,
                           SnapshotStore& baseline, const AutoCheckRun& run) {
  std::FILE* file = std::fopen(logPath.c_str(), "ab");
  if (file == nullptr) return false;
  // The log is a text file: every LF becomes CR LF, as a text-mode stream writes it
  // on Windows, so the file has the same bytes whatever system wrote it.
  const std::string block = autoCheckResultBlock(current, baseline, run);
  std::string bytes;
  bytes.reserve(block.size() + block.size() / 16 + 8);
  for (char c : block) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool autoCheckLogExists(const std::string& logPath) {
  std::FILE* file = std::fopen(logPath.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool warnIfLogLarge(const std::string& logPath) {
  std::ifstream file(logPath, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff size = file.tellg();
  if (size <= kAutoCheckLogWarnBytes) return false;
  platform::showMessage("自動チェックのログファイルが１メガバイト以上の大きさになっています。",
                        "自動チェック", platform::kMsgOk | platform::kMsgIconInformation);
  return true;
}

bool clearAutoCheckLog(const std::string& logPath) {
  if (platform::showMessage("自動チェックのログファイルを削除します。いいですか？",
                            "自動チェックログクリア",
                            platform::kMsgYesNo) != platform::kAnswerYes) {
    return false;
  }
  std::remove(logPath.c_str());
  return true;
}

bool showAutoCheckLog(const std::string& logPath) {
  return platform::shellExecute("open", logPath.c_str(), nullptr, platform::kShowNormal);
}
