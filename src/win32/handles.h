#pragma once
// Owning wrappers for the system's handles: one template, one small traits struct per kind.

#include <utility>

#include "win32/platform/windows_headers.h"

namespace postwink::win {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;
  UniqueHandle() = default;
  explicit UniqueHandle(Type h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type get() const { return h_; }
  bool valid() const { return Traits::Valid(h_); }
  explicit operator bool() const { return valid(); }
  Type release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(Type h = Traits::Invalid()) {
    Type old = std::exchange(h_, h);
    if (Traits::Valid(old)) Traits::Close(old);
  }

 private:
  Type h_ = Traits::Invalid();
};

// Kernel objects (files, mutexes, threads, events): null and INVALID_HANDLE_VALUE mean none.
struct KernelTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Type h) { FindClose(h); }
};
struct IconTraits {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { DestroyIcon(h); }
};
struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { DestroyMenu(h); }
};
struct GdiTraits {
  using Type = HGDIOBJ;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { FreeLibrary(h); }
};
struct ImageListTraits {
  using Type = HIMAGELIST;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { ImageList_Destroy(h); }
};
struct WindowTraits {
  using Type = HWND;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) {
    if (IsWindow(h)) DestroyWindow(h);
  }
};

using KernelHandle = UniqueHandle<KernelTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using GdiHandle = UniqueHandle<GdiTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;

}  // namespace postwink::win
