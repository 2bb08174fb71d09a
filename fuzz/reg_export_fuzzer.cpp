// Fuzz target: a snapshot file opened as the comparison side of a fixed baseline,
// compared, and written as .reg files in both directions and both encodings
// (exportRegChanges). Whatever a loaded file holds, the writer must end with a file
// that starts with its header and names only values it could not write.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_file.h"
#include "platform/message_box.h"
#include "text/reg_export.h"

namespace {

class Quiet : public platform::MessageSeam {
 public:
  int show(const char*, const char*, unsigned) override { return platform::kAnswerOk; }
};

void require(bool condition) {
  if (!condition) std::abort();
}

// A small baseline with values of several types, kept and digest-only, and subkeys.
std::string baselineImage() {
  SnapshotStore store;
  initStore(store);
  resetStore(store, true);
  const ItemIndex software = addKey(store, 2, kNoItem, "Software");
  const ItemIndex test = addKey(store, software, kNoItem, "Test");
  const ItemIndex deep = addKey(store, test, kNoItem, "Deep");
  const uint8_t text[] = "value\\\"";
  assignValueData(store, addValue(store, test, ""), text, sizeof text, 1, true);
  assignValueData(store, addValue(store, test, "multi"), text, sizeof text, 7, true);
  assignValueData(store, addValue(store, deep, "digest"), text, sizeof text, 3, false);
  const uint8_t number[4] = {1, 2, 3, 4};
  assignValueData(store, addValue(store, deep, "number"), number, 4, 4, true);
  std::ostringstream out;
  writeSnapshotImage(out, store, 1, false);
  destroyStore(store);
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initMemoryPool(), initSnapshotStores(), true);
  static const std::string baseline = baselineImage();
  (void)ready;
  static Quiet quiet;
  platform::setMessageSeam(&quiet);
  SnapshotFileOptions options;
  require(loadBaselineImage(baseline.data(), baseline.size(), "base.rsv", options).loaded);
  if (loadComparisonImage(data, size, "fuzz.rsv", options).loaded) {
    compareSnapshots(-1, CompareOptions{});
    for (RegDirection direction : {RegDirection::kRedo, RegDirection::kUndo}) {
      for (RegEncoding encoding : {RegEncoding::kRegedit4, RegEncoding::kUnicode}) {
        RegExportOptions exportOptions;
        exportOptions.direction = direction;
        exportOptions.encoding = encoding;
        const RegExportResult result =
            exportRegChanges(currentStore(), baselineStore(), exportOptions);
        require(result.bytes.compare(0, 2, encoding == RegEncoding::kUnicode ? "\xFF\xFE" : "RE") == 0);
      }
    }
  }
  platform::setMessageSeam(nullptr);
  return 0;
}
