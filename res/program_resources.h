#pragma once
// The program's resources: dialogs 100 and 102, string 101, icon 128 and the version
// block, as the stand-in reads them.

#include "platform/resource_module.h"

namespace vendrel::res {

/// The resource module of the program.
const ResourceModule& Module();

/// Installs the module as the one windows, strings and icons come from. Inline, so the
/// module's data links without the window framework (the page is built from it).
inline void Install() { AfxSetResourceHandle(&Module()); }

/// The application id shared by the desktop entry, the metadata and the icon.
inline constexpr char kDesktopId[] = "org.vendrel.Vendrel";

}  // namespace vendrel::res
