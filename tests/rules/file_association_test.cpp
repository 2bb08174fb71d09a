#include "rules/file_association.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_registry.h"

namespace {

constexpr uint32_t kSz = 1;
const char kProgram[] = "C:\\Program Files\\ケストリン\\regKestrin.exe";
const std::string kExtensionPath = "HKEY_CLASSES_ROOT\\.rsv";
const std::string kTypePath = "HKEY_CLASSES_ROOT\\rsvFile_Quillfen_Tarnwick";

class FileAssociationTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::setRegistrySeam(&reg_); }
  void TearDown() override {
    EXPECT_EQ(reg_.openHandleCount(), 0) << "every key opened must be closed";
    platform::setRegistrySeam(nullptr);
  }

  // The default value of the key at `subKey` below HKEY_CLASSES_ROOT, or "<none>".
  std::string defaultValue(const std::string& subKey) {
    platform::RegKey key = 0;
    if (reg_.openKey(platform::kHkeyClassesRoot, subKey.c_str(), platform::kRegRead, &key) != platform::kRegOk) {
      return "<no key>";
    }
    char data[512] = {};
    uint32_t size = sizeof data;
    uint32_t type = 0;
    long rc = reg_.queryValue(key, "", &type, reinterpret_cast<uint8_t*>(data), &size);
    reg_.closeKey(key);
    if (rc != platform::kRegOk) return "<none>";
    EXPECT_EQ(type, kSz);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(data[size - 1], '\0') << "REG_SZ written with its NUL";
    return std::string(data);
  }

  platform::MemoryRegistry reg_;
};

TEST_F(FileAssociationTest, StateTellsThisProgramFromAnotherCopyAndAnotherProgram) {
  ASSERT_TRUE(setRsvAssociation("D:\\old\\regKestrin.exe"));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_OTHER_COPY);
  // The same path in another letter case is this program (file names ignore case).
  EXPECT_EQ(rsvAssociationState("d:\\OLD\\REGKESTRIN.EXE"), RSV_THIS_PROGRAM);
  EXPECT_EQ(rsvAssociationState(""), RSV_OTHER_COPY);

  ASSERT_TRUE(reg_.removeValue(kTypePath + "\\DefaultIcon", ""));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_OTHER_COPY);
  ASSERT_TRUE(reg_.removeKeyTree(kTypePath + "\\DefaultIcon"));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_NOT_ASSOCIATED);
  ASSERT_TRUE(reg_.removeKeyTree(kTypePath));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_NOT_ASSOCIATED);

  ASSERT_TRUE(reg_.putValue(kExtensionPath, "", kSz, std::string("OtherViewer.File\0", 17)));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_OTHER_PROGRAM);
  ASSERT_TRUE(reg_.removeValue(kExtensionPath, ""));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_OTHER_PROGRAM);  // ".rsv" without a type
  // The type name must match whole, not as a prefix.
  ASSERT_TRUE(reg_.putValue(kExtensionPath, "", kSz, std::string("rsvFile_Quillfen_TarnwickX\0", 27)));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_OTHER_PROGRAM);
}

TEST_F(FileAssociationTest, RemoveDeletesBothTreesAndNothingElse) {
  ASSERT_TRUE(setRsvAssociation(kProgram));
  ASSERT_TRUE(reg_.addKeyPath(kTypePath + "\\shell\\edit\\command"));
  ASSERT_TRUE(reg_.putValue(kTypePath + "\\shell\\edit", "extra", kSz, "x"));
  ASSERT_TRUE(reg_.putValue(kExtensionPath, "Content Type", kSz, "application/x-rsv"));
  ASSERT_TRUE(reg_.addKeyPath(kExtensionPath + "\\OpenWithProgids"));
  ASSERT_TRUE(reg_.addKeyPath("HKEY_CLASSES_ROOT\\.rsa"));
  ASSERT_TRUE(reg_.addKeyPath("HKEY_CLASSES_ROOT\\rsvFile_Quillfen_TarnwickOld\\DefaultIcon"));
  removeRsvAssociation();
  EXPECT_FALSE(reg_.keyExists(kExtensionPath));
  EXPECT_FALSE(reg_.keyExists(kTypePath));
  EXPECT_TRUE(reg_.keyExists("HKEY_CLASSES_ROOT\\.rsa"));
  EXPECT_TRUE(reg_.keyExists("HKEY_CLASSES_ROOT\\rsvFile_Quillfen_TarnwickOld\\DefaultIcon"));
  EXPECT_EQ(rsvAssociationState(kProgram), RSV_NOT_ASSOCIATED);
  removeRsvAssociation();  // nothing left to remove: no harm
}

TEST_F(FileAssociationTest, RemoveGoesOnPastKeysItCannotOpen) {
  ASSERT_TRUE(setRsvAssociation(kProgram));
  reg_.failOpen(kTypePath + "\\shell", platform::kRegAccessDenied);
  removeRsvAssociation();
  reg_.clearFaults();
  EXPECT_FALSE(reg_.keyExists(kExtensionPath));
  EXPECT_FALSE(reg_.keyExists(kTypePath + "\\DefaultIcon"));
  EXPECT_TRUE(reg_.keyExists(kTypePath + "\\shell\\open\\command"));  // kept: it had subkeys
}

}  // namespace
