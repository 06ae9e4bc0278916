#pragma once
// The small pieces every Active Accessibility object of the program is made of: a reference
// count with QueryInterface, and the VARIANT and BSTR helpers of its answers.

#include <string>

#include "win32/platform/windows_headers.h"

#include <oleacc.h>

namespace postwink::win {

inline BSTR ToBstr(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

inline void SetChild(VARIANT* out, LONG child) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = child;
}

// The reference count and QueryInterface of a COM object answering for Interface and those
// Answers names.
template <typename Interface>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == __uuidof(IUnknown) || Answers(riid)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;
  virtual bool Answers(REFIID riid) const = 0;

 private:
  ULONG refs_ = 1;
};

// IDispatch as Active Accessibility objects have it: readers call the interface directly.
template <typename Interface>
class AccessibleObject : public ComObject<Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  bool Answers(REFIID riid) const override {
    return riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible);
  }
};

}  // namespace postwink::win
