#include "platform/message_box.h"

namespace platform {

MessageSeam& defaultMessageSeam();  // platform/<system>/

namespace {
MessageSeam* installedSeam = nullptr;
void* ownerWindow = nullptr;
}  // namespace

MessageSeam& messages() { return installedSeam ? *installedSeam : defaultMessageSeam(); }
void setMessageSeam(MessageSeam* seam) { installedSeam = seam; }
void setMessageOwner(void* window) { ownerWindow = window; }
void* messageOwner() { return ownerWindow; }

}  // namespace platform
