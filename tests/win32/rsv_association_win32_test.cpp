// The .rsv association on the system registry (run under Wine, in the test's own
// prefix): written, recognised and removed through the real registry functions.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/registry.h"
#include "rules/file_association.h"

namespace {

std::string defaultValue(const char* subKey) {
  platform::RegistrySeam& reg = platform::registry();
  platform::RegKey key = 0;
  if (reg.openKey(platform::kHkeyClassesRoot, subKey, platform::kRegRead, &key) != platform::kRegOk) {
    return "<no key>";
  }
  char data[1024] = {};
  uint32_t size = sizeof data - 1;
  uint32_t type = 0;
  long rc = reg.queryValue(key, "", &type, reinterpret_cast<uint8_t*>(data), &size);
  reg.closeKey(key);
  return rc == platform::kRegOk ? std::string(data) : "<none>";
}

TEST(Win32RsvAssociation, SetRecogniseAndRemove) {
  const std::string program = platform::programPath();
  removeRsvAssociation();
  EXPECT_EQ(rsvAssociationState(program.c_str()), RSV_NOT_ASSOCIATED);

  ASSERT_TRUE(setRsvAssociation(program.c_str()));
  EXPECT_EQ(rsvAssociationState(program.c_str()), RSV_THIS_PROGRAM);
  EXPECT_EQ(rsvAssociationState("C:\\elsewhere\\regKestrin.exe"), RSV_OTHER_COPY);
  EXPECT_EQ(defaultValue(".rsv"), "rsvFile_Quillfen_Tarnwick");
  EXPECT_EQ(defaultValue("rsvFile_Quillfen_Tarnwick\\DefaultIcon"), program + ",1");
  EXPECT_EQ(defaultValue("rsvFile_Quillfen_Tarnwick\\shell\\open\\command"), "\"" + program + "\" %1");

  removeRsvAssociation();
  EXPECT_EQ(rsvAssociationState(program.c_str()), RSV_NOT_ASSOCIATED);
  EXPECT_EQ(defaultValue(".rsv"), "<no key>");
  EXPECT_EQ(defaultValue("rsvFile_Quillfen_Tarnwick"), "<no key>");
}

TEST(Win32RsvAssociation, AnotherProgramsTypeIsRecognised) {
  platform::RegistrySeam& reg = platform::registry();
  removeRsvAssociation();
  platform::RegKey key = 0;
  ASSERT_EQ(reg.createKey(platform::kHkeyClassesRoot, ".rsv", platform::kRegAllAccess, &key), platform::kRegOk);
  const char other[] = "OtherViewer.File";
  ASSERT_EQ(reg.setValue(key, "", 1, reinterpret_cast<const uint8_t*>(other), sizeof other), platform::kRegOk);
  reg.closeKey(key);
  EXPECT_EQ(rsvAssociationState(platform::programPath().c_str()), RSV_OTHER_PROGRAM);
  removeRsvAssociation();
}

}  // namespace
