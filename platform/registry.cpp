#include "platform/registry.h"

namespace platform {

namespace {
RegistrySeam* installedSeam = nullptr;
}  // namespace

RegistrySeam& registry() { return installedSeam ? *installedSeam : defaultRegistrySeam(); }
void setRegistrySeam(RegistrySeam* seam) { installedSeam = seam; }

}  // namespace platform
