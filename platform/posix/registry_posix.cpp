// Outside Windows there is no system registry: the program sees an empty one held in
// memory (the five roots without subkeys or values), which it may also write to.
#include "platform/memory_registry.h"

namespace platform {

RegistrySeam& defaultRegistrySeam() {
  static MemoryRegistry seam;
  return seam;
}

}  // namespace platform
