#include "platform/file_system.h"

namespace platform {

FileSystemSeam& defaultFileSystemSeam();  // platform/<system>/

namespace {
FileSystemSeam* installedSeam = nullptr;
}

FileSystemSeam& fileSystem() { return installedSeam ? *installedSeam : defaultFileSystemSeam(); }
void setFileSystemSeam(FileSystemSeam* seam) { installedSeam = seam; }

}  // namespace platform
