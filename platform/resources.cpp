#include "platform/resources.h"

#include <QIcon>
#include <QString>
#include <map>
#include <memory>
#include <utility>

#include "platform/cstring.h"
#include "platform/menu.h"

namespace {
const ResourceModule* g_module = nullptr;
}

void AfxSetResourceHandle(const ResourceModule* module) { g_module = module; }
const ResourceModule* AfxGetResourceHandle() { return g_module; }

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
  if (g_module == nullptr) return nullptr;
  for (const DialogTemplate& t : g_module->dialogs) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

const char* AfxFindString(UINT id) {
  if (g_module == nullptr) return nullptr;
  for (const StringResource& s : g_module->strings) {
    if (s.id == id) return s.text;
  }
  return nullptr;
}

HICON AfxLoadIcon(UINT id) {
  if (g_module == nullptr) return nullptr;
  // Icons live as long as the process, like the platform's shared icons; one per
  // module and id.
  static std::map<std::pair<const ResourceModule*, UINT>, std::unique_ptr<QIcon>> loaded;
  auto& slot = loaded[{g_module, id}];
  if (!slot) {
    for (const IconResource& r : g_module->icons) {
      if (r.id != id) continue;
      auto icon = std::make_unique<QIcon>();
      for (const char* image : r.images) icon->addFile(QString::fromUtf8(image));
      slot = std::move(icon);
      break;
    }
  }
  return slot.get();
}

std::string AfxVersionText(const VersionInfo& version) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(version.fileVersion[i]);
  }
  return text;
}

BOOL CString::LoadString(UINT id) {
  const char* text = AfxFindString(id);
  text_ = text ? text : "";
  return text != nullptr;
}

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
