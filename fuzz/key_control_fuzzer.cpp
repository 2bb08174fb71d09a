// Fuzz target: reading keyCtrl.txt.
//
// The first byte chooses which options are on (one bit each), the rest is the file's
// text. Every line must be counted exactly once in the report, the store must stay
// sound, and the store written as userCtrl.dat must read back.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/memory_pool.h"
#include "fuzz/rule_store_checks.h"
#include "rules/rule_files.h"

using rule_fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initMemoryPool(), true);
  (void)ready;
  const uint8_t bits = size > 0 ? data[0] : 0;
  const RuleFileSwitches switches{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0,
                                  false};
  const size_t length = size > 0 ? size - 1 : 0;
  // An exact-size copy, so reads past the text are caught.
  std::unique_ptr<char[]> text(new char[length == 0 ? 1 : length]);
  if (length != 0) std::memcpy(text.get(), data + 1, length);

  resetRules();
  KeyControlReport report;
  parseKeyControlText(text.get(), length, switches, &report);
  require(report.lines == report.commentLines + report.sectionLines + report.blankLines +
                              report.switchedOffLines + report.ruleLines + report.malformedLines +
                              report.droppedLines);
  require(report.repeatedLines <= report.ruleLines);
  require(report.droppedLines == 0);
  require((report.firstProblemLine == 0) ==
          (report.repeatedLines + report.malformedLines + report.droppedLines == 0));
  if ((bits & 0x0F) == 0) require(report.ruleLines == 0 && ruleNodeCount() == 7);
  rule_fuzz::requireSoundStore();

  std::vector<uint8_t> image;
  encodeUserControl(image);
  const int32_t count = ruleNodeCount();
  require(decodeUserControl(image.data(), image.size()));  // no user rules: nothing added
  require(ruleNodeCount() == count);
  rule_fuzz::requireSoundStore();
  return 0;
}
