#include "text/file_properties.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_file_info.h"
#include "platform/memory_registry.h"

namespace {

TEST(FileNameInTextTest, QuotesArgumentsRundllAndShortNames) {
  const struct {
    const char* text;
    const char* path;
  } cases[] = {
      {"\"C:\\Program Files\\App\\app.exe\" -x", "C:\\Program Files\\App\\app.exe"},
      {"C:\\Windows\\explorer.exe,0", "C:\\Windows\\explorer.exe"},
      {"C:\\PROGRA~1\\App\\a.exe /s", "C:\\PROGRA~1\\App\\a.exe"},
      {"rundll32.exe mylib,Entry", "mylib.DLL"},
      {"rundll32.exe C:\\Gone\\lib.dll,Entry", "C:\\Gone\\lib.dll"},
      {"RUNDLL32 C:\\a.b\\lib,Entry", "C:\\a.b\\lib.DLL"},      // the dot of a folder
      {"rundll32.exe \"C:\\表\\lib\",E", "C:\\表\\lib.DLL"},     // 表 ends in byte 0x5C
      {"rundll32.exe C:\\x\\lib.表,E", "C:\\x\\lib.表"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.path, fileNameInText(c.text)) << c.text;
}

TEST(FileNameInTextTest, BareNamesAreLocatedAsSharedFiles) {
  platform::ScopedFileInfo scoped;
  platform::MemoryFileInfo& info = scoped.info;
  info.setSharedAnswer("shell32.dll", {0, "C:\\Windows\\system32\\"});
  info.setSharedAnswer("old.dll", {platform::kSharedCurrentNotInDestination, ""});
  info.setSharedAnswer("busy.dll", {platform::kSharedFileInUse, "D:\\Lib"});
  info.setSharedAnswer("lost.dll", {0, ""});
  EXPECT_EQ("C:\\Windows\\system32\\shell32.dll",
            locateNamedFile("rundll32.exe shell32.dll,Control_RunDLL", "C:\\P\\"));
  EXPECT_EQ("C:\\Windows\\system\\old.dll", locateNamedFile("old.dll", ""));
  EXPECT_EQ("D:\\Lib\\busy.dll", locateNamedFile("busy.dll", ""));
  EXPECT_EQ("lost.dll", locateNamedFile("lost.dll", ""));        // no folder: as written
  EXPECT_EQ("unknown.dll", locateNamedFile("unknown.dll", ""));  // lookup failed
  const int lookups = info.sharedLookups;
  locateNamedFile("C:\\x.dll", "");
  locateNamedFile("\\\\server\\share\\x.dll", "");
  EXPECT_EQ(lookups, info.sharedLookups);
}

// Whether the file was found, its folder, name, size line, type and attributes.
std::string fields(const FileDescription& d) {
  return std::string(d.found ? "found|" : "missing|") + d.folder + "|" + d.name + "|" + d.sizeLine + "|" +
         d.typeText + "|" + d.attributeText;
}

class DescribeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setRegistrySeam(&registry);
    written = 133500000000000000ull;
    ASSERT_TRUE(platform::fileTimeToLocal(written, today));
  }
  void TearDown() override { platform::setRegistrySeam(nullptr); }

  platform::FoundFile file(uint64_t size, uint32_t attributes = 0) {
    platform::FoundFile f;
    f.attributes = attributes;
    f.size = size;
    f.lastWrite = f.created = written;
    return f;
  }

  platform::ScopedFileInfo scoped;
  platform::MemoryRegistry registry;
  uint64_t written = 0;
  platform::LocalTime today{};
};

TEST_F(DescribeFileTest, ProgramWithVersionStrings) {
  const std::string path = "C:\\App\\app.exe";
  scoped.info.addEntry(path, file(1234567, platform::kAttributeReadOnly | platform::kAttributeSystem));
  scoped.info.setBinaryType(path, 0);
  scoped.info.addVersionValue(path, "\\VarFileInfo\\Translation", {0x11, 0x04, 0xA4, 0x03});
  scoped.info.addVersionText(path, "\\StringFileInfo\\041103a4\\FileVersion", "1.2.3.4");
  scoped.info.addVersionText(path, "\\StringFileInfo\\041103a4\\CompanyName", "会社");
  scoped.info.setLanguageName(0x0411, "日本語");
  const FileDescription d = describeFile("\"C:\\App\\app.exe\" /x", "", today);
  EXPECT_EQ("found|C:\\App|app.exe|  1,234,567 バイト|Win32 アプリケーション|書込み禁止　システム　", fields(d));
  EXPECT_EQ("      今日", d.timeLine.substr(0, 10));
  EXPECT_NE(std::string::npos, d.timeLine.find("　作成:       今日 "));
  EXPECT_EQ("1.2.3.4", d.version[VERSION_FILE_VERSION]);
  EXPECT_EQ("会社", d.version[VERSION_COMPANY]);
  EXPECT_EQ("日本語", d.version[VERSION_LANGUAGE]);

  // A translation entry shorter than 4 bytes means no strings at all.
  scoped.info.addVersionValue(path, "\\VarFileInfo\\Translation", {0x11, 0x04});
  EXPECT_EQ("", describeFile(path.c_str(), "", today).version[VERSION_FILE_VERSION]);
}

TEST_F(DescribeFileTest, TypeFromTheExtensionFolderAndMissingFile) {
  scoped.info.addEntry("C:\\D\\a.txt", file(5));
  scoped.info.addEntry("C:\\D\\b.zzz", file(5));
  scoped.info.addEntry("C:\\D\\c.one", file(5));
  scoped.info.addEntry("C:\\D", file(0, platform::kAttributeFolder | platform::kAttributeHidden));
  scoped.info.addEntry("C:\\D\\Sub", file(0, platform::kAttributeFolder));
  for (const char* key : {".txt", "txtfile", ".one"}) {
    registry.addKeyPath(std::string("HKEY_CLASSES_ROOT\\") + key);
  }
  registry.putValue("HKEY_CLASSES_ROOT\\.txt", "", 1, "txtfile");
  registry.putValue("HKEY_CLASSES_ROOT\\txtfile", "", 1, "テキスト文書");
  registry.putValue("HKEY_CLASSES_ROOT\\.one", "", 1, "onefile");
  EXPECT_EQ("テキスト文書", describeFile("C:\\D\\a.txt", "", today).typeText);
  EXPECT_EQ("不明", describeFile("C:\\D\\b.zzz", "", today).typeText);
  EXPECT_EQ("onefile", describeFile("C:\\D\\c.one", "", today).typeText);

  const FileDescription folder = describeFile("C:\\D\\", "", today);
  EXPECT_TRUE(folder.isFolder);
  EXPECT_EQ("found|C:\\D\\||      1 フォルダ,         3 ファイル|フォルダ|隠しファイル　", fields(folder));

  const FileDescription gone = describeFile("C:\\Gone\\x.exe", "", today);
  EXPECT_EQ("missing|C:\\Gone|x.exe||ファイルが見付かりません|", fields(gone));
  EXPECT_EQ("", gone.timeLine);
}

TEST_F(DescribeFileTest, TimesTodayThisYearAndEarlier) {
  char clock[16];
  std::snprintf(clock, sizeof clock, " %02d:%02d:%02d", today.hour, today.minute, today.second);
  platform::LocalTime later = today;
  later.day = today.day == 1 ? 2 : 1;
  char expected[32];
  std::snprintf(expected, sizeof expected, "今年 %02d/%02d", today.month, today.day);
  EXPECT_EQ(expected + std::string(clock), fileTimeText(written, later));
  later.year += 1;
  std::snprintf(expected, sizeof expected, "%d/%02d/%02d", today.year, today.month, today.day);
  EXPECT_EQ(expected + std::string(clock), fileTimeText(written, later));
  EXPECT_EQ("", fileTimeText(0, today));
}

}  // namespace
