// The files seam on Windows (run under Wine): the program's location and replacing
// a file in one step.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files.h"

namespace {

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

TEST(Win32Files, ProgramPathAndFolder) {
  const std::string path = platform::programPath();
  const std::string folder = platform::programFolder();
  ASSERT_GT(path.size(), folder.size());
  EXPECT_EQ(lower(path.substr(path.size() - 15)), "win32_tests.exe");
  EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(path.find('\\', folder.size()), std::string::npos);
}

TEST(Win32Files, ReplaceFileSwapsInTheNewContents) {
  const std::string folder = platform::programFolder();
  const std::string target = folder + "replace_target.dat";
  const std::string temporary = target + ".tmp";
  writeText(target, "old contents");
  writeText(temporary, "new");
  ASSERT_TRUE(platform::replaceFile(temporary.c_str(), target.c_str()));
  EXPECT_EQ(contents(target), "new");
  EXPECT_FALSE(std::ifstream(temporary).is_open());

  // Without a temporary file nothing happens to the target.
  EXPECT_FALSE(platform::replaceFile(temporary.c_str(), target.c_str()));
  EXPECT_EQ(contents(target), "new");

  // A target that does not exist yet is created.
  std::remove(target.c_str());
  writeText(temporary, "first");
  ASSERT_TRUE(platform::replaceFile(temporary.c_str(), target.c_str()));
  EXPECT_EQ(contents(target), "first");
  std::remove(target.c_str());
}

}  // namespace
