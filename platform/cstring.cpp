#include "platform/cstring.h"

#include "platform/resources.h"

BOOL CString::LoadString(UINT id) {
  const char* text = AfxFindString(id);
  text_ = text ? text : "";
  return text != nullptr;
}
