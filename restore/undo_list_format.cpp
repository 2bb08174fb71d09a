#include "restore/undo_list_format.h"

namespace restore {

const char kRestoreToolName[] = "ペリム";
const char kSharedBlockName[] = "d291e49b-3169-42fa-b27e-82a345dd3fb4-Pellim";
const char kUndoListFileName[] = "undoList.$$$";

void encodeUndoHeader(const UndoRecordHeader& header, uint8_t out[8]) {
  out[0] = header.kind;
  out[1] = header.detail;
  out[2] = header.level;
  out[3] = header.type;
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(header.length >> (8 * i));
}

UndoRecordHeader decodeUndoHeader(const uint8_t in[8]) {
  UndoRecordHeader header;
  header.kind = in[0];
  header.detail = in[1];
  header.level = in[2];
  header.type = in[3];
  header.length = static_cast<uint32_t>(in[4]) | static_cast<uint32_t>(in[5]) << 8 |
                  static_cast<uint32_t>(in[6]) << 16 | static_cast<uint32_t>(in[7]) << 24;
  return header;
}

}  // namespace restore
