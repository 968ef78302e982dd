#pragma once

#include <windows.h>

#include <objbase.h>

namespace lw::win32 {

// This thread in a single-threaded COM apartment while the object lives: the shell's folder
// browser (with BIF_NEWDIALOGSTYLE) and ShellExecute's handlers ask for one. Where the thread
// already has one, nothing changes.
class ComApartment {
  public:
    ComApartment()
        : initialised_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialised_;
};

}  // namespace lw::win32
