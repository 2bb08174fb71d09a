#include "platform/file_info.h"

namespace platform {

FileInfoSeam& defaultFileInfoSeam();  // platform/<system>/

namespace {
FileInfoSeam* installedSeam = nullptr;
}

FileInfoSeam& fileInfo() { return installedSeam ? *installedSeam : defaultFileInfoSeam(); }
void setFileInfoSeam(FileInfoSeam* seam) { installedSeam = seam; }

}  // namespace platform
