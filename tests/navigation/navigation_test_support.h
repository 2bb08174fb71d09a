// A snapshot laid out as a Windows registry is, for the favourites and descriptions:
// keys made from backslash paths, two full user SIDs beside the system accounts.
#pragma once

#include <string>
#include <vector>

#include "tests/engine/store_tree_builder.h"

namespace navigation_test {

constexpr char kUser1[] = "HKEY_USERS\\S-1-5-21-3623811015-3361044348-30300820-1001";
constexpr char kUser2[] = "HKEY_USERS\\S-1-5-21-3623811015-3361044348-30300820-1002";
constexpr char kRunTail[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class LayoutTest : public store_tree::TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    for (std::string user : {kUser1, kUser2, "HKEY_USERS\\S-1-5-18", "HKEY_USERS\\.DEFAULT"}) {
      key(user + kRunTail), key(user + kRunTail + "Once");
    }
    key(std::string(kUser1) + "_Classes");
  }
  std::vector<std::string> paths(const std::vector<ItemIndex>& keys) {  // their full paths
    std::vector<std::string> out;
    for (ItemIndex k : keys) out.push_back(buildItemPath(store(), k, 0));
    return out;
  }
};

}  // namespace navigation_test
