#pragma once
// What a screen reader learns of a tool tip window through Active Accessibility.

#include <string>

#include "win32/platform/windows_headers.h"

#include <oleacc.h>

namespace postwink::win::test {

struct TipAsRead {
  HRESULT found = E_FAIL;
  std::wstring name;
  LONG role = 0;
  LONG state = 0;
};

inline TipAsRead ReadTip(HWND tip) {
  TipAsRead read;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* acc = nullptr;
  read.found = AccessibleObjectFromWindow(tip, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&acc));
  if (FAILED(read.found) || acc == nullptr) return read;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (acc->get_accName(self, &name) == S_OK && name) {
    read.name.assign(name, SysStringLen(name));
    SysFreeString(name);
  }
  VARIANT v;
  if (acc->get_accRole(self, &v) == S_OK && v.vt == VT_I4) read.role = v.lVal;
  if (acc->get_accState(self, &v) == S_OK && v.vt == VT_I4) read.state = v.lVal;
  acc->Release();
  return read;
}

}  // namespace postwink::win::test
