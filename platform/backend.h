#pragma once

// What each backend supplies beneath the platform interfaces that have a test seam: the system's
// own box, opener and folder chooser. platform/seams.cpp decides, once for every backend, whether
// a test's stand-in answers instead. ui/ and app/ never include this.

#include <string>

#include "platform/folder_browser.h"

namespace lw {

class ModalDialog;

namespace backend {

// While it lives, the pointer is the normal one, whatever long work around shows: a box that
// waits for the user, or a test's stand-in for it, is there. Nothing to do where the system's own
// box sees to it.
class NormalPointer {
  public:
    NormalPointer();
    ~NormalPointer();
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;
};

void showMessage(ModalDialog* owner, const std::string& text);
void shellOpen(ModalDialog* owner, const std::string& pathOrAddress);
FolderChoice browseForFolder(ModalDialog* owner);

}  // namespace backend
}  // namespace lw
