// The body of the two snapshot file fuzz targets: one input is one file image, loaded
// by the loader under test with every version question answered OK.
//
// A refused image must have taken the failure path: its message last, the current
// store back to the five empty roots and, for the baseline loader, an empty
// baseline. An accepted image must be a snapshot the whole store can work on
// (fuzz/snapshot_file_exercise.h). Any other outcome aborts.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/memory_pool.h"
#include "engine/snapshot_file.h"
#include "fuzz/snapshot_file_exercise.h"
#include "platform/message_box.h"

namespace snapshot_fuzz {

class LastMessage : public platform::MessageSeam {
 public:
  int show(const char* text, const char* caption, unsigned) override {
    last = text ? text : "";
    lastCaption = caption ? caption : "";
    ++shown;
    return platform::kAnswerOk;
  }
  std::string last;
  std::string lastCaption;
  int shown = 0;
};

inline void require(bool condition) {
  if (!condition) std::abort();
}

inline bool onlyRootsLeft() {
  SnapshotStore& current = currentStore();
  if (current.counts.keyCount != kRootKeyCount || current.counts.valueCount != 0) return false;
  for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
    if (keyRecord(current, root).firstChild != kNoItem) return false;
  }
  return true;
}

inline int runOne(const uint8_t* data, size_t size, bool asBaseline) {
  static const bool ready = (initMemoryPool(), initSnapshotStores(), true);
  (void)ready;
  static LastMessage messages;
  platform::setMessageSeam(&messages);
  messages = LastMessage();

  // The grouping option follows the input's length, so both directions of the
  // regrouping after a load are reached.
  SnapshotFileOptions options;
  options.classInfoGrouping = (size & 1) != 0;
  const SnapshotLoadResult result = asBaseline
                                        ? loadBaselineImage(data, size, "C:\\fuzz.rsv", options)
                                        : loadComparisonImage(data, size, "C:\\fuzz.rsv", options);
  if (result.loaded) {
    if (asBaseline) require(storesShareBlocks(currentStore(), baselineStore()));
    require(snapshot_exercise::exerciseLoadedSnapshot(currentStore()).empty());
  } else {
    require(messages.shown > 0);
    require(messages.last == (asBaseline ? "基準ファイルを読み込むことが出来ませんでした。"
                                         : "比較対象ファイルを読み込むことが出来ませんでした。"));
    require(messages.lastCaption == "ファイル読み込みエラー");
    require(onlyRootsLeft());
    if (asBaseline) require(baselineStore().keyBlocks[0] == nullptr);
  }
  platform::setMessageSeam(nullptr);
  return 0;
}

}  // namespace snapshot_fuzz
