#pragma once
// Resources as data: dialog templates, strings, icons and the version block of one
// program. The program's res/ library describes them; the stand-in builds windows
// from them and looks them up by id, as the original platform does with a module's
// resources.

#include <span>
#include <string>

#include "platform/messages.h"

enum class ControlKind { PushButton, Edit, Static };

/// One control of a dialog template. Position and size in dialog units.
struct DialogControl {
  int id;
  ControlKind kind;
  const char* text;  ///< UTF-8
  int x, y, cx, cy;
  DWORD style;       ///< WS_VISIBLE, WS_DISABLED, WS_TABSTOP, BS_/ES_/SS_ bits
};

struct DialogTemplate {
  UINT id;
  DWORD style;
  DWORD exStyle;
  const char* caption;
  const char* fontFace;
  int fontPoints;
  int cx, cy;  ///< client area, dialog units
  std::span<const DialogControl> controls;  ///< in tab order
};

struct StringResource {
  UINT id;
  const char* text;
};

/// An icon of several images, each a Qt resource path (":/...") of one size.
struct IconResource {
  UINT id;
  std::span<const char* const> images;
};

struct VersionInfo {
  WORD fileVersion[4];
  WORD productVersion[4];
  WORD language;  ///< 0x0411: Japanese
  WORD codePage;
  const char* companyName;
  const char* fileDescription;
  const char* fileVersionText;
  const char* internalName;
  const char* legalTrademarks;
  const char* originalFilename;
  const char* productName;
  const char* productVersionText;
};

struct ResourceModule {
  std::span<const DialogTemplate> dialogs;
  std::span<const StringResource> strings;
  std::span<const IconResource> icons;
  VersionInfo version;
  const char* desktopId;  ///< the application id the desktop knows the program by
};

/// The module whose resources windows, strings and icons come from. The program
/// installs its own before it creates any window.
void AfxSetResourceHandle(const ResourceModule* module);
const ResourceModule* AfxGetResourceHandle();

/// Lookups in the installed module; nullptr when it has no such resource.
const DialogTemplate* AfxFindDialogTemplate(UINT id);
const char* AfxFindString(UINT id);
/// The icon with this id, loaded once for the life of the process.
HICON AfxLoadIcon(UINT id);

/// The version as dotted text, "1.0.0.1".
std::string AfxVersionText(const VersionInfo& version);
