#pragma once

#include <windows.h>

#include "platform/folder_browser.h"

namespace lw::win32 {

using FolderChoice = lw::FolderChoice;

// The shell's modal folder browser over `owner` (SHBrowseForFolderA): file-system folders only,
// a field to type a folder's name, the resizable browser; no root, title, initial selection or
// callback. A chosen folder that has no file-system path counts as cancelled.
FolderChoice browseForFolder(HWND owner);

}  // namespace lw::win32
