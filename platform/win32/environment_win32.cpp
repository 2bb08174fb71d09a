#include <windows.h>

#include <string>

#include "platform/environment.h"

namespace platform {

namespace {
class SystemEnvironment : public EnvironmentSeam {
 public:
  std::string expand(const char* text) override {
    if (!text) return std::string();
    // The answer is the size needed, terminator included; the buffer grows to it.
    std::string out(520, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
      const DWORD needed = ExpandEnvironmentStringsA(text, &out[0], static_cast<DWORD>(out.size()));
      if (needed == 0) return text;
      if (needed <= out.size()) {
        out.resize(strlen(out.c_str()));
        return out;
      }
      out.assign(needed, '\0');
    }
    return text;
  }
};
}  // namespace

EnvironmentSeam& defaultEnvironmentSeam() {
  static SystemEnvironment seam;
  return seam;
}

}  // namespace platform
