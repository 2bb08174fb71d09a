// Whether files and folders named in registry data exist (the missing-file search).
//
// Core code asks through fileSystem(); on Windows the seam opens the path (as a file
// for reading, then with backup semantics, which opens folders) and searches for
// entries matching a pattern. Tests install a MemoryFileSystem
// (platform/memory/memory_file_system.h). Paths are cp932 Windows paths.
#pragma once

namespace platform {

class FileSystemSeam {
 public:
  virtual ~FileSystemSeam() = default;
  // The path names an existing file or folder that can be opened.
  virtual bool opens(const char* path) = 0;
  // Some entry matches `pattern` (a folder path followed by "\\*").
  virtual bool findsAny(const char* pattern) = 0;
  // Switches the system's error boxes for missing drives and unreadable media off
  // (quiet true) or back to what they were before.
  virtual void setQuietErrors(bool quiet) = 0;
};

// The seam in use; never null.
FileSystemSeam& fileSystem();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setFileSystemSeam(FileSystemSeam* seam);

// Keeps the system's file error boxes off while in scope.
class QuietFileErrors {
 public:
  QuietFileErrors() { fileSystem().setQuietErrors(true); }
  ~QuietFileErrors() { fileSystem().setQuietErrors(false); }
  QuietFileErrors(const QuietFileErrors&) = delete;
  QuietFileErrors& operator=(const QuietFileErrors&) = delete;
};

}  // namespace platform
