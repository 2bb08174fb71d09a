// keyCtrl.txt: sections switched by the options, the line syntax, hostile lines, and
// the file the program ships.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "tests/rules/rule_test_support.h"

namespace {

using rule_test::allSwitches;
using rule_test::counts;
using rule_test::dumpRules;
using rule_test::findPath;
using rule_test::parseText;
using rule_test::RuleTest;

using KeyControlTest = RuleTest;

uint8_t codeAt(const std::string& path) {
  const RuleIndex node = findPath(path);
  return node < 0 ? 0xFF : ruleNode(node).code;
}

TEST_F(KeyControlTest, LineSyntax) {
  const std::string text =
      "[NoCheck]\r\n"
      "# a comment\r\n"
      " #x\n"  // not a comment: a rule whose first component is "#x"
      "\t  HKEY_CURRENT_USER\\Trimmed \t \r\n"
      "   \t\r\n"
      "\n"
      "\r\n"
      "[Other]\n"  // not a section: a rule line
      "hkey_local_machine\\software\\Low\n"
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Low\\Deeper\\\n"
      "HKEY_USERS\\\\\\s\\Software\n"
      "HKEY_LOCAL_MACHINE\\Back\\\\slash\n"
      "[NoReadSame]\n"
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Low\n"  // a later section changes the code
      "HKEY_CURRENT_USER\\LastLine";         // no line end
  const KeyControlReport report = parseText(text, allSwitches(true));
  EXPECT_EQ(counts(report), "15 1 2 3 0 9 0 0 0 0");
  EXPECT_EQ(codeAt("#x"), 3);
  EXPECT_EQ(codeAt("HKEY_CURRENT_USER|Trimmed"), 3);
  EXPECT_EQ(codeAt("[Other]"), 3);
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|software"), 0) << "found ignoring case, not made again";
  EXPECT_EQ(std::string(ruleNodeName(findPath("HKEY_LOCAL_MACHINE|SOFTWARE"))), "software");
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|SOFTWARE|LOW"), 1);
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|SOFTWARE|Low|Deeper"), 3);
  EXPECT_EQ(codeAt("HKEY_USERS|S-1-5-21-1-2-3-1001|Software"), 3);
  EXPECT_EQ(std::string(ruleNodeName(findPath("HKEY_USERS|S-1-5-21-1-2-3-1001"))), "\\s");
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|Back\\slash"), 3);
  EXPECT_EQ(codeAt("HKEY_CURRENT_USER|LastLine"), 1);
  dumpRules();
}

TEST_F(KeyControlTest, LongAndHostileLines) {
  const std::string longest = "HKEY_LOCAL_MACHINE\\" + std::string(240, 'a');  // 259 bytes
  ASSERT_EQ(longest.size(), 259u);
  const std::string component255(255, 'c');  // a top node: a longer path would pass 259 bytes
  std::string text = "[NoCheck]\n";
  text += longest + "\n";                                      // 2: kept
  text += longest + "b\n";                                     // 3: 260 bytes, refused
  text += longest + "\r\n";                                    // 4: kept (already there)
  text += longest + std::string(300, ' ') + "\t\r\n";          // 5: blanks do not count
  text += "HKEY_LOCAL_MACHINE\\" + std::string(100000, 'x') + "\\Tail\n";  // 6: refused whole
  text += component255 + "\n";                                 // 7: kept
  text += std::string(256, 'd') + "\n";                      // 8: component cut: refused
  text += "HKEY_CURRENT_USER\\A\\\\,B\n";                      // 9: empty component: refused
  text += "\\HKEY_CURRENT_USER\n";                             // 10: empty component: refused
  text += std::string("HKEY_CURRENT_USER\\Nul\0Tail\n", 27);   // 11: NUL: refused
  text += "#" + std::string(5000, '#') + "\n";                 // 12: a long comment
  text += std::string("\x81\\\xff\x80\x1a\x7f", 6) + "\n";     // 13: odd bytes, still a path
  text += "HKEY_CURRENT_USER\\After\n";                        // 14: kept
  const KeyControlReport report = parseText(text, allSwitches(true));
  EXPECT_EQ(counts(report), "14 1 1 0 0 6 2 6 0 3");
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|" + std::string(240, 'a')), 3);
  EXPECT_EQ(codeAt(component255), 3);
  EXPECT_EQ(codeAt("HKEY_CURRENT_USER|After"), 3);
  EXPECT_EQ(findPath("HKEY_CURRENT_USER|Nul"), kNoRule);
  EXPECT_EQ(findPath("HKEY_CURRENT_USER|A"), kNoRule);
  EXPECT_EQ(findPath("HKEY_LOCAL_MACHINE|" + std::string(240, 'a') + "b"), kNoRule);
  const std::map<std::string, std::string> dump = dumpRules();
  EXPECT_EQ(dump.size(), 7u + 5u);  // lines 2, 7, 13 (two nodes) and 14
}

// ---------------------------------------------------------------- the shipped file

// The source tree's copy (KESTRIN_SOURCE_DIR is set by the build), whatever folder
// the test runs in and however the compiler spells __FILE__.
std::string shippedFilePath() {
  return std::string(KESTRIN_SOURCE_DIR) + "/resources/keyCtrl.txt";
}

std::string readShippedFile() {
  std::ifstream in(shippedFilePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(KeyControlTest, ShippedFileHasNoUnusedOrMalformedLine) {
  const std::string text = readShippedFile();
  ASSERT_FALSE(text.empty()) << shippedFilePath();

  // Nothing but comments before the first section.
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line) && (line.empty() || line[0] == '#')) {
  }
  EXPECT_EQ(line, "[NoReadClass]");

  resetRules();
  const KeyControlReport off = parseText(text, allSwitches(false));
  EXPECT_GT(off.switchedOffLines, 50);
  EXPECT_EQ(off.ruleLines, 0);

  // Each section on its own: every line makes a rule of its own.
  int32_t used = 0;
  for (bool RuleFileSwitches::*option :
       {&RuleFileSwitches::noClassInfo, &RuleFileSwitches::skipDuplicates,
        &RuleFileSwitches::skipVolatile, &RuleFileSwitches::skipHardware}) {
    RuleFileSwitches switches = allSwitches(false);
    switches.*option = true;
    resetRules();
    const KeyControlReport report = parseText(text, switches);
    EXPECT_EQ(report.malformedLines, 0) << "line " << report.firstProblemLine;
    EXPECT_EQ(report.repeatedLines, 0) << "line " << report.firstProblemLine;
    EXPECT_EQ(report.droppedLines, 0);
    EXPECT_EQ(report.sectionLines, 4);
    used += report.ruleLines;
  }
  EXPECT_EQ(used, off.switchedOffLines);

  // Every rule starts at a root key, and every backslash in a name makes a pattern.
  resetRules();
  const KeyControlReport all = parseText(text, allSwitches(true));
  EXPECT_EQ(all.malformedLines, 0);
  EXPECT_EQ(rule_test::childNames(kNoRule).size(), 6u);
  EXPECT_EQ(rule_test::childNames(kSameKeysNode).size(), 0u);
  for (const auto& entry : dumpRules()) {
    for (size_t at = entry.first.find('\\'); at != std::string::npos;
         at = entry.first.find('\\', at + 2)) {
      const char code = at + 1 < entry.first.size() ? entry.first[at + 1] : '\0';
      EXPECT_TRUE(code == '*' || code == 's' || code == 'u') << entry.first;
    }
  }
  // The rules do what the comments say on a few keys of a real system.
  EXPECT_EQ(codeAt("HKEY_CLASSES_ROOT"), 1);
  EXPECT_EQ(codeAt("HKEY_USERS|S-1-5-21-3623811015-3361044348-30300820-1001"), 1);
  EXPECT_EQ(codeAt("HKEY_USERS|S-1-5-21-3623811015-3361044348-30300820-1001_Classes"), 1);
  EXPECT_EQ(findPath("HKEY_USERS|S-1-5-18"), kNoRule);
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|SYSTEM|ControlSet001|Enum"), 3);
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|SYSTEM|ControlSet001|Control|Windows|ShutdownTime"), 3);
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|SYSTEM|CurrentControlSet"), 1);
  EXPECT_EQ(codeAt("HKEY_LOCAL_MACHINE|SYSTEM|ControlSet001|Control"), 0);
}

}  // namespace
