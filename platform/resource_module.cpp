#include "platform/resource_module.h"

#include <QIcon>
#include <QString>
#include <map>
#include <memory>
#include <utility>

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
