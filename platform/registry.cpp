#include "platform/registry.h"

namespace platform {

RegistrySeam& defaultRegistrySeam();  // platform/<system>/

namespace {
RegistrySeam* installedSeam = nullptr;
}  // namespace

RegistrySeam& registry() { return installedSeam ? *installedSeam : defaultRegistrySeam(); }
void setRegistrySeam(RegistrySeam* seam) { installedSeam = seam; }

}  // namespace platform
