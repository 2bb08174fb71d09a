#include "platform/clipboard.h"

namespace platform {

ClipboardSeam& defaultClipboardSeam();  // platform/<system>/

namespace {
ClipboardSeam* installedSeam = nullptr;
}

ClipboardSeam& clipboard() { return installedSeam ? *installedSeam : defaultClipboardSeam(); }
void setClipboardSeam(ClipboardSeam* seam) { installedSeam = seam; }

}  // namespace platform
