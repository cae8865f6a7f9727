#include "platform/cstring.h"

#include "platform/resource_module.h"

BOOL CString::LoadString(UINT id) {
  const char* text = AfxFindString(id);
  text_ = text ? text : "";
  return text != nullptr;
}
