#include "platform/win32/folder_browser.h"

#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/com_apartment.h"

namespace lw::win32 {

FolderChoice browseForFolder(HWND owner) {
    const ComApartment apartment;
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE folder = SHBrowseForFolderA(&browse);
    if (folder == nullptr) {
        return FolderChoice{FolderChoice::Outcome::Cancelled, {}};
    }
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) {
        // The item list is still the shell's task memory; give it back rather than leak it.
        CoTaskMemFree(folder);
        return FolderChoice{FolderChoice::Outcome::NoAllocator, {}};
    }
    char path[MAX_PATH] = {};
    const bool hasPath = SHGetPathFromIDListA(folder, path) != FALSE;
    allocator->Free(folder);
    allocator->Release();
    if (!hasPath) {
        return FolderChoice{FolderChoice::Outcome::Cancelled, {}};
    }
    path[MAX_PATH - 1] = '\0';
    return FolderChoice{FolderChoice::Outcome::Chosen, std::string(path)};
}

}  // namespace lw::win32
