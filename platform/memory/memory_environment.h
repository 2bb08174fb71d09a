// Test double for the environment seam: variables of the test's own, looked up
// without regard to ASCII case as Windows does. Install it with ScopedEnvironment.
#pragma once

#include <map>
#include <string>

#include "platform/environment.h"

namespace platform {

class MemoryEnvironment : public EnvironmentSeam {
 public:
  void set(const std::string& name, const std::string& value) { variables_[fold(name)] = value; }
  std::string expand(const char* text) override {
    return expandWithLookup(text, [this](const std::string& name, std::string& value) {
      auto found = variables_.find(fold(name));
      if (found == variables_.end()) return false;
      value = found->second;
      return true;
    });
  }

 private:
  static std::string fold(std::string name) {
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
  }
  std::map<std::string, std::string> variables_;
};

class ScopedEnvironment {
 public:
  ScopedEnvironment() { setEnvironmentSeam(&env); }
  ~ScopedEnvironment() { setEnvironmentSeam(nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  MemoryEnvironment env;
};

}  // namespace platform
