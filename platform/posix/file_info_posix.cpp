// Outside Windows there are no version resources, executable types or shared-file
// records: the default is an empty in-memory double, which finds nothing.
#include "platform/memory/memory_file_info.h"

namespace platform {

FileInfoSeam& defaultFileInfoSeam() {
  static MemoryFileInfo seam;
  return seam;
}

}  // namespace platform
