// Expanding environment variables (%NAME%) in value data of type REG_EXPAND_SZ.
//
// Core code calls expandEnvironment(); on Windows it reaches
// ExpandEnvironmentStringsA, elsewhere the process environment. Tests install a
// MemoryEnvironment (platform/memory/memory_environment.h) with variables of their own.
// A reference to an unknown variable is left as written, as Windows leaves it.
#pragma once

#include <functional>
#include <string>

namespace platform {

class EnvironmentSeam {
 public:
  virtual ~EnvironmentSeam() = default;
  // `text` (cp932, NUL-terminated) with every %NAME% of a known variable replaced.
  virtual std::string expand(const char* text) = 0;
};

// The seam in use; never null.
EnvironmentSeam& environment();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setEnvironmentSeam(EnvironmentSeam* seam);

inline std::string expandEnvironment(const char* text) { return environment().expand(text); }

// The expansion rule shared by the doubles and the non-Windows side: `lookup` gives a
// variable's value or false. A '%' without a closing one, and %% , stay as written.
std::string expandWithLookup(const char* text,
                             const std::function<bool(const std::string&, std::string&)>& lookup);

}  // namespace platform
