// Outside Windows the process environment answers (names are case-sensitive here).
#include <cstdlib>

#include "platform/environment.h"

namespace platform {

namespace {
class ProcessEnvironment : public EnvironmentSeam {
 public:
  std::string expand(const char* text) override {
    return expandWithLookup(text, [](const std::string& name, std::string& value) {
      const char* found = std::getenv(name.c_str());
      if (!found) return false;
      value = found;
      return true;
    });
  }
};
}  // namespace

EnvironmentSeam& defaultEnvironmentSeam() {
  static ProcessEnvironment seam;
  return seam;
}

}  // namespace platform
