#include "platform/menu.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
  if (nFlags & MF_SEPARATOR) {
    items_.push_back({MF_SEPARATOR, 0, {}});
  } else {
    items_.push_back({nFlags, static_cast<UINT>(nIDNewItem), lpszNewItem ? lpszNewItem : ""});
  }
  return TRUE;
}

BOOL CMenu::EnableMenuItem(UINT nID, UINT nEnable) {
  for (Item& item : items_) {
    if (!(item.flags & MF_SEPARATOR) && item.id == nID) {
      item.flags = (item.flags & ~MF_GRAYED) | (nEnable & MF_GRAYED);
      return TRUE;
    }
  }
  return FALSE;
}

UINT CMenu::GetMenuItemID(int pos) const {
  if (pos < 0 || pos >= GetMenuItemCount()) return static_cast<UINT>(-1);
  return items_[pos].id;
}
