// Where two starts of the program meet: the name under which the running instance
// registers itself, and the message with which a later start hands its command-line
// file over before it ends.
//
// The instance name is the executable's full path with each backslash turned into a
// slash (a backslash would name a kernel namespace). Only real backslashes change: a
// double-byte character whose trail byte is 0x5C (ソ, 表, 能 ...) stays whole, or the
// name would no longer be cp932 and the system, converting it to Unicode, would give
// programs in different folders one name.
//
// The hand-over message carries the tag kHandedFileTag and the path's cp932 bytes
// with a closing NUL, kHandedPathBytes in all at most. It comes from another process,
// so the receiver refuses anything of another shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "KRF1": a snapshot file path to open as the baseline.
constexpr uint32_t kHandedFileTag = 0x4B524631;
// The size of the program's path buffers, closing NUL included.
constexpr size_t kHandedPathBytes = 260;

std::string singleInstanceName(const std::string& programPath);

// The message bytes for `path` (NUL included); empty when the path cannot be handed
// over (empty, holding a NUL, or too long for the receiver's buffers).
std::string handedFileMessage(const std::string& path);

// The path of a received message, or false when the tag, the size or the bytes are
// not those of handedFileMessage.
bool readHandedFile(uint32_t tag, const void* data, size_t size, std::string& path);
