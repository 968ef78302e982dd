#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/window.h"

namespace lw::win32 {

// The common controls' list view: one short method per message, nothing more. Texts are the
// ANSI code page's.
class ListView : public Window {
  public:
    using Window::Window;

    int InsertColumn(int index, const LVCOLUMNA& column) const {
        return static_cast<int>(
            Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
    }
    bool GetColumn(int index, LVCOLUMNA& column) const {
        return Send(LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&column)) != FALSE;
    }
    int GetColumnWidth(int index) const {
        return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index)));
    }
    bool SetColumnWidth(int index, int width) const {
        return Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0)) != FALSE;
    }
    int InsertItem(const LVITEMA& item) const {
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItem(const LVITEMA& item) const {
        return Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    bool GetItem(LVITEMA& item) const {
        return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    bool SetItemText(int index, const LVITEMA& item) const {
        return Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    // Copies into item.pszText (item.cchTextMax bytes); returns the bytes copied.
    int GetItemText(int index, LVITEMA& item) const {
        return static_cast<int>(
            Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemState(int index, UINT state, UINT mask) const {
        LVITEMA item{};
        item.stateMask = mask;
        item.state = state;
        return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    UINT GetItemState(int index, UINT mask) const {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
    }
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
    }
    bool DeleteItem(int index) const {
        return Send(LVM_DELETEITEM, static_cast<WPARAM>(index)) != FALSE;
    }
    bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS) != FALSE; }
    bool SortItems(PFNLVCOMPARE compare, LPARAM context) const {
        return Send(LVM_SORTITEMS, static_cast<WPARAM>(context),
                    reinterpret_cast<LPARAM>(compare)) != FALSE;
    }
    int GetSelectionMark() const { return static_cast<int>(Send(LVM_GETSELECTIONMARK)); }
    void SetSelectionMark(int index) const {
        Send(LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(index));
    }
    int GetTopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }
    bool GetItemRect(int index, RECT& rect, int part) const {
        rect.left = part;
        return Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) !=
               FALSE;
    }
    bool Scroll(int dx, int dy) const {
        return Send(LVM_SCROLL, static_cast<WPARAM>(dx), static_cast<LPARAM>(dy)) != FALSE;
    }
    DWORD SetExtendedStyle(DWORD mask, DWORD style) const {
        return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style));
    }
    DWORD GetExtendedStyle() const {
        return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE));
    }
    HWND GetHeader() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
    int GetColumnCount() const {
        const HWND header = GetHeader();
        return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0))
                                 : 0;
    }
};

}  // namespace lw::win32
