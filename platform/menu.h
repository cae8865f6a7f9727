#pragma once
// Menus: a list of items that a window shows as a popup.

#include <string>
#include <vector>

#include "platform/messages.h"

class CMenu {
 public:
  struct Item {
    UINT flags;  ///< MF_STRING or MF_SEPARATOR, maybe MF_GRAYED
    UINT id;
    std::string text;
  };

  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
  BOOL EnableMenuItem(UINT nID, UINT nEnable);  ///< by command id; MF_GRAYED or 0
  int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
  /// The command id of item `pos`; 0 for a separator, -1 past the end.
  UINT GetMenuItemID(int pos) const;
  const std::vector<Item>& Items() const { return items_; }
  void RemoveAll() { items_.clear(); }

 private:
  std::vector<Item> items_;
};
