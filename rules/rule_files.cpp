#include "rules/rule_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "rules/rule_store.h"

const char kKeyControlFileName[] = "keyCtrl.txt";
const char kUserControlFileName[] = "userCtrl.dat";

RuleFileSwitches ruleFileSwitches(const ProgramOptions& options) {
  RuleFileSwitches switches;
  switches.noClassInfo = options.entries[OPT_NO_CLASS_INFO] != 0;
  switches.skipDuplicates = options.entries[OPT_SKIP_DUPLICATES] != 0;
  switches.skipVolatile = options.entries[OPT_SKIP_VOLATILE] != 0;
  switches.skipHardware = options.entries[OPT_SKIP_HARDWARE] != 0;
  switches.applyUserControl = options.entries[OPT_APPLY_USER_CONTROL] != 0;
  return switches;
}

namespace {

// ---------------------------------------------------------------- keyCtrl.txt

// Cuts the text into lines as it arrives (a file is read in chunks) and adds each
// rule line. Only the first 261 bytes of a line are kept: enough for 259 bytes and a
// CR; longer lines are refused unless all the rest is blanks.
class KeyControlReader {
 public:
  KeyControlReader(const RuleFileSwitches& switches, KeyControlReport* report)
      : switches_(switches), report_(report) {
    *report_ = KeyControlReport{};
  }

  void feed(const char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      const char c = bytes[i];
      if (c == '\n') {
        endLine();
        continue;
      }
      started_ = true;
      if (length_ < sizeof(line_)) {
        line_[length_++] = c;
        continue;
      }
      // Bytes past the buffer: only trailing blanks (and a final CR) may follow.
      if (overflowCr_ || (c != ' ' && c != '\t' && c != '\r')) overflowText_ = true;
      overflowCr_ = c == '\r';
      overflowed_ = true;
    }
  }

  void finish() {
    if (started_) endLine();
  }

 private:
  void endLine() {
    ++report_->lines;
    const int32_t number = report_->lines;
    size_t length = length_;
    const bool overflowed = overflowed_;
    const bool overflowText = overflowText_;
    length_ = 0;
    started_ = overflowed_ = overflowText_ = overflowCr_ = false;

    if (length > 0 && line_[0] == '#') {
      ++report_->commentLines;
      return;
    }
    if (!overflowed && length > 0 && line_[length - 1] == '\r') --length;
    while (length > 0 && (line_[length - 1] == ' ' || line_[length - 1] == '\t')) --length;
    const bool tooLong = overflowText || length > kKeyControlLineBytes;

    if (!tooLong && takeSection(line_, length)) {
      ++report_->sectionLines;
      return;
    }
    size_t start = 0;
    while (start < length && (line_[start] == ' ' || line_[start] == '\t')) ++start;
    if (start == length && !tooLong) {
      ++report_->blankLines;
      return;
    }
    if (code_ == 0) {
      ++report_->switchedOffLines;
      return;
    }
    if (tooLong || std::memchr(line_ + start, '\0', length - start) != nullptr) {
      problem(&report_->malformedLines, number);
      return;
    }
    addLine(line_ + start, length - start, number);
  }

  bool takeSection(const char* text, size_t length) {
    const struct {
      const char* name;
      uint8_t code;
    } sections[] = {
        {"[NoReadClass]", switches_.noClassInfo ? CONTROL_NOT_READ : CONTROL_NONE},
        {"[NoReadSame]", switches_.skipDuplicates ? CONTROL_NOT_READ : CONTROL_NONE},
        {"[NoCheck]", switches_.skipVolatile ? CONTROL_NOT_CHECKED : CONTROL_NONE},
        {"[NoCheckHard]", switches_.skipHardware ? CONTROL_NOT_CHECKED : CONTROL_NONE},
        {"[Check]", CONTROL_NONE},
        {"[AutoCheck]", CONTROL_NONE},
    };
    for (const auto& section : sections) {
      if (std::strlen(section.name) == length && std::memcmp(section.name, text, length) == 0) {
        code_ = section.code;
        return true;
      }
    }
    return false;
  }

  void addLine(const char* text, size_t length, int32_t number) {
    std::vector<std::string> components;
    char component[kRuleComponentBytes];
    for (size_t position = 0; position < length;) {
      bool cut = false;
      position = splitRulePath(text, length, position, component, &cut);
      if (cut || component[0] == '\0') {
        problem(&report_->malformedLines, number);
        return;
      }
      components.emplace_back(component);
    }
    RuleIndex parent = kNoRule;
    for (size_t i = 0; i + 1 < components.size(); ++i) {
      parent = addRule(parent, components[i].c_str(), CONTROL_NONE, kRuleEnsure);
      if (parent < 0) {
        problem(&report_->droppedLines, number);
        return;
      }
    }
    const char* last = components.back().c_str();
    const RuleIndex existing = findRuleChild(parent, last);
    const bool repeated = existing >= 0 && ruleNode(existing).code == code_;
    if (addRule(parent, last, code_, kRuleSet) < 0) {
      problem(&report_->droppedLines, number);
      return;
    }
    ++report_->ruleLines;
    if (repeated) problem(&report_->repeatedLines, number);
  }

  void problem(int32_t* counter, int32_t number) {
    ++*counter;
    if (report_->firstProblemLine == 0) report_->firstProblemLine = number;
  }

  const RuleFileSwitches switches_;
  KeyControlReport* report_;
  uint8_t code_ = CONTROL_NONE;
  char line_[kKeyControlLineBytes + 2];
  size_t length_ = 0;
  bool started_ = false;
  bool overflowed_ = false;
  bool overflowText_ = false;
  bool overflowCr_ = false;
};

// ---------------------------------------------------------------- userCtrl.dat

void putU32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value >> 16);
  at[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t getU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// Bytes a userCtrl.dat of N nodes and B name blocks can need at most.
uint64_t userControlBytes(uint32_t nodes, uint32_t blocks) {
  return kUserControlHeaderBytes + uint64_t{kUserControlRecordBytes} * nodes +
         uint64_t{kRuleNameBlockBytes} * blocks;
}

bool plausibleCounts(uint32_t nodes, uint32_t blocks, uint32_t blockSize) {
  return blockSize == kRuleNameBlockBytes && nodes <= static_cast<uint32_t>(kMaxRuleNodes) &&
         blocks <= static_cast<uint32_t>(kMaxRuleNameBlocks) && (nodes == 0 || blocks > 0);
}

ControlRuleNode readRecord(const uint8_t* at) {
  ControlRuleNode node;
  node.depth = at[0];
  node.code = at[1];
  node.ruleFlags = at[2];
  node.nameBlock = at[3];
  node.parent = static_cast<int32_t>(getU32(at + 4));
  node.nextSibling = static_cast<int32_t>(getU32(at + 8));
  node.firstChild = static_cast<int32_t>(getU32(at + 12));
  node.name = getU32(at + 16);
  return node;
}

void writeRecord(uint8_t* at, const ControlRuleNode& node) {
  at[0] = node.depth;
  at[1] = node.code;
  at[2] = node.ruleFlags;
  at[3] = node.nameBlock;
  putU32(at + 4, static_cast<uint32_t>(node.parent));
  putU32(at + 8, static_cast<uint32_t>(node.nextSibling));
  putU32(at + 12, static_cast<uint32_t>(node.firstChild));
  putU32(at + 16, node.name);
}

bool isStoredCode(uint8_t code) {
  return code <= CONTROL_NOT_CHECKED || code == CONTROL_CHECKED_AGAIN ||
         code == CONTROL_AUTOCHECK_TARGET;
}

struct Visit {
  int32_t record;
  int32_t parent;  // expected parent record (validation) or restored node (loading)
  int depth;
};

}  // namespace

void parseKeyControlText(const char* text, size_t size, const RuleFileSwitches& switches,
                         KeyControlReport* report) {
  KeyControlReport ignored;
  KeyControlReader reader(switches, report != nullptr ? report : &ignored);
  reader.feed(text, size);
  reader.finish();
}

bool loadKeyControlFile(const std::string& path, const RuleFileSwitches& switches,
                        KeyControlReport* report) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  KeyControlReport ignored;
  KeyControlReader reader(switches, report != nullptr ? report : &ignored);
  std::vector<char> chunk(0x10000);
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    reader.feed(chunk.data(), static_cast<size_t>(got));
  }
  reader.finish();
  return true;
}

void encodeUserControl(std::vector<uint8_t>& image) {
  const uint32_t nodes = static_cast<uint32_t>(ruleNodeCount());
  const int blocks = ruleNameBlockCount();
  const size_t names = blocks == 0 ? 0
                                   : static_cast<size_t>(blocks - 1) * kRuleNameBlockBytes +
                                         ruleNameBytesUsed();
  const size_t records = kUserControlHeaderBytes + size_t{kUserControlRecordBytes} * nodes;
  image.assign(records + names, 0);
  putU32(&image[0], kUserControlFormat);
  putU32(&image[4], nodes);
  putU32(&image[8], static_cast<uint32_t>(blocks));
  putU32(&image[12], kRuleNameBlockBytes);
  for (uint32_t i = 0; i < nodes; ++i) {
    writeRecord(&image[kUserControlHeaderBytes + size_t{kUserControlRecordBytes} * i],
                ruleNode(static_cast<RuleIndex>(i)));
  }
  for (int block = 0; block < blocks; ++block) {
    const size_t bytes = block + 1 < blocks ? kRuleNameBlockBytes : ruleNameBytesUsed();
    if (bytes != 0) {
      std::memcpy(&image[records + size_t{kRuleNameBlockBytes} * static_cast<size_t>(block)],
                  ruleNameBlock(block), bytes);
    }
  }
}

bool decodeUserControl(const uint8_t* bytes, size_t size) {
  if (size < kUserControlHeaderBytes) return false;
  const uint32_t count = getU32(bytes + 4);
  const uint32_t blocks = getU32(bytes + 8);
  if (!plausibleCounts(count, blocks, getU32(bytes + 12))) return false;
  const uint64_t recordsEnd = kUserControlHeaderBytes + uint64_t{kUserControlRecordBytes} * count;
  if (size < recordsEnd) return false;
  const uint64_t nameBytes = std::min<uint64_t>(size - recordsEnd, uint64_t{kRuleNameBlockBytes} * blocks);
  if (blocks > 0 && nameBytes < uint64_t{kRuleNameBlockBytes} * (blocks - 1)) return false;
  const char* names = reinterpret_cast<const char*>(bytes + recordsEnd);
  const int32_t nodes = static_cast<int32_t>(count);

  // Every record on its own.
  std::vector<ControlRuleNode> records(count);
  for (int32_t i = 0; i < nodes; ++i) {
    ControlRuleNode& record =
        records[static_cast<size_t>(i)] =
            readRecord(bytes + kUserControlHeaderBytes + size_t{kUserControlRecordBytes} * static_cast<size_t>(i));
    const auto link = [nodes](int32_t at) { return at >= -1 && at < nodes; };
    if (!link(record.parent) || !link(record.nextSibling) || !link(record.firstChild)) return false;
    if (!isStoredCode(record.code)) return false;
    const uint32_t block = record.name >> 16;
    if (block != record.nameBlock || block >= blocks || record.name >= nameBytes) return false;
    const uint64_t blockEnd = std::min<uint64_t>(nameBytes, uint64_t{block + 1} * kRuleNameBlockBytes);
    const size_t room = static_cast<size_t>(std::min<uint64_t>(blockEnd - record.name, kRuleComponentBytes));
    if (std::memchr(names + record.name, '\0', room) == nullptr) return false;
  }

  // The records form one tree from record 0 whose links and depths agree.
  std::vector<uint8_t> seen(count, 0);
  std::vector<Visit> pending;
  if (nodes > 0) pending.push_back({0, kNoRule, 0});
  int32_t visited = 0;
  while (!pending.empty()) {
    const Visit visit = pending.back();
    pending.pop_back();
    const ControlRuleNode& record = records[static_cast<size_t>(visit.record)];
    if (seen[static_cast<size_t>(visit.record)] != 0) return false;
    seen[static_cast<size_t>(visit.record)] = 1;
    ++visited;
    if (record.parent != visit.parent || record.depth != visit.depth) return false;
    if (record.nextSibling >= 0) pending.push_back({record.nextSibling, visit.parent, visit.depth});
    if (record.firstChild >= 0) pending.push_back({record.firstChild, visit.record, visit.depth + 1});
  }
  if (visited != nodes) return false;

  // Marks the paths to the user's rules: each ancestor up to one that is a user rule
  // or already marked.
  std::vector<uint8_t> onPath(count, 0);
  for (int32_t i = 0; i < nodes; ++i) {
    const ControlRuleNode& record = records[static_cast<size_t>(i)];
    if ((record.ruleFlags & RULE_USER) == 0 || record.code == CONTROL_NONE ||
        record.code == CONTROL_CHECKED_AGAIN) {
      continue;
    }
    for (int32_t at = record.parent; at >= 0; at = records[static_cast<size_t>(at)].parent) {
      if ((records[static_cast<size_t>(at)].ruleFlags & RULE_USER) != 0 ||
          onPath[static_cast<size_t>(at)] != 0) {
        break;
      }
      onPath[static_cast<size_t>(at)] = 1;
    }
  }

  // Adds them in tree order, siblings in file order, so the first-match order of the
  // siblings is kept.
  pending.clear();
  if (nodes > 0) pending.push_back({0, kNoRule, 0});
  while (!pending.empty()) {
    const Visit visit = pending.back();
    pending.pop_back();
    const ControlRuleNode& record = records[static_cast<size_t>(visit.record)];
    if (record.nextSibling >= 0) pending.push_back({record.nextSibling, visit.parent, 0});
    const bool user = (record.ruleFlags & RULE_USER) != 0;
    if (!user && onPath[static_cast<size_t>(visit.record)] == 0) continue;
    const char* name = names + record.name;
    const RuleIndex node = user ? addRule(visit.parent, name, record.code, kRuleSetUser)
                                : addRule(visit.parent, name, CONTROL_NONE, kRuleEnsure);
    if (node < 0) continue;
    if (record.ruleFlags & RULE_SAME_NAME) setRuleFlags(node, RULE_SAME_NAME, 0);
    const uint8_t kind = record.ruleFlags & (RULE_KEY | RULE_VALUE);
    if (user && (kind == RULE_KEY || kind == RULE_VALUE)) {
      setRuleFlags(node, kind, static_cast<uint8_t>((RULE_KEY | RULE_VALUE) & ~kind));
    }
    if (record.firstChild >= 0) pending.push_back({record.firstChild, node, 0});
  }
  return true;
}

bool loadUserControlFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  uint8_t header[kUserControlHeaderBytes];
  in.read(reinterpret_cast<char*>(header), sizeof(header));
  if (in.gcount() != static_cast<std::streamsize>(sizeof(header))) return false;
  const uint32_t nodes = getU32(header + 4);
  const uint32_t blocks = getU32(header + 8);
  if (!plausibleCounts(nodes, blocks, getU32(header + 12))) return false;
  // Never more than the counts can use, nor more than the file holds.
  in.seekg(0, std::ios::end);
  const std::streamoff fileSize = in.tellg();
  if (fileSize < static_cast<std::streamoff>(sizeof(header))) return false;
  const uint64_t wanted = std::min<uint64_t>(userControlBytes(nodes, blocks), static_cast<uint64_t>(fileSize));
  std::vector<uint8_t> image(static_cast<size_t>(wanted));
  std::memcpy(image.data(), header, sizeof(header));
  in.seekg(static_cast<std::streamoff>(sizeof(header)), std::ios::beg);
  in.read(reinterpret_cast<char*>(image.data() + sizeof(header)),
          static_cast<std::streamsize>(image.size() - sizeof(header)));
  const size_t size = sizeof(header) + static_cast<size_t>(in.gcount());
  return decodeUserControl(image.data(), size);
}

bool saveUserControlFile(const std::string& path) {
  std::vector<uint8_t> image;
  encodeUserControl(image);
  const std::string temporary = path + ".tmp";
  bool written;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    written = !out.fail();
  }
  if (written && platform::replaceFile(temporary.c_str(), path.c_str())) return true;
  std::remove(temporary.c_str());
  return false;
}

void loadRuleFiles(const RuleFileSwitches& switches, const std::string& folder) {
  loadKeyControlFile(folder + kKeyControlFileName, switches, nullptr);
  if (switches.applyUserControl) loadUserControlFile(folder + kUserControlFileName);
}

void loadRuleFiles() { loadRuleFiles(ruleFileSwitches(programOptions), platform::programFolder()); }

bool saveUserControl() {
  return saveUserControlFile(platform::programFolder() + kUserControlFileName);
}

bool loadUserControl() {
  return loadUserControlFile(platform::programFolder() + kUserControlFileName);
}

void eraseUserControl() {
  std::remove((platform::programFolder() + kUserControlFileName).c_str());
  resetRules();
  loadRuleFiles();
}
