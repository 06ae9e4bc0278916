#pragma once
// ImageMenu: a popup menu that draws its items itself, with a 16-pixel picture beside each
// command (from an image strip or an icon), greyed pictures for greyed items, checked items
// framed, and the shortcut after a tab right-aligned.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ui/scale.h"
#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

class ImageMenu {
 public:
  // The popup stays the caller's and must outlive this object; its items may still be changed
  // (deleted, greyed, checked) until Track.
  explicit ImageMenu(HMENU popup) : menu_(popup) {}
  ImageMenu(const ImageMenu&) = delete;
  ImageMenu& operator=(const ImageMenu&) = delete;
  ~ImageMenu();

  // An image of the strip for a command; the strip is the caller's.
  void SetImage(UINT command, HIMAGELIST strip, int index);
  // An icon for a command; the menu takes it.
  void SetIcon(UINT command, IconHandle icon);

  // Shows the menu at a screen point (TPM_ alignment flags) and returns the command chosen, 0
  // for none. The owner's window procedure is extended while the menu is open, so the owner
  // needs no code of its own for the drawing.
  UINT Track(HWND owner, POINT at, UINT flags);

 private:
  struct Item {
    std::wstring text;
    std::wstring shortcut;
    bool separator = false;
    UINT command = 0;
  };
  struct Picture {
    HIMAGELIST strip = nullptr;
    int index = -1;
    IconHandle icon;
  };

  void MakeOwnerDrawn();
  const Item* Find(ULONG_PTR data) const;
  void Measure(MEASUREITEMSTRUCT& mis) const;
  void Draw(const DRAWITEMSTRUCT& dis) const;
  void DrawPicture(HDC dc, const Picture& picture, int x, int y, bool greyed) const;
  static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);

  HMENU menu_;
  std::vector<std::unique_ptr<Item>> items_;
  std::map<UINT, Picture> pictures_;
  int Px(int designPixels) const { return ScalePixels(designPixels, dpi_); }

  GdiHandle font_;
  int dpi_ = kDesignDpi;  // the owner's, while the menu is open
};

// The first small icon of a program file, or none.
IconHandle ProgramSmallIcon(const std::string& path);
// The small icon the shell shows for files of this name (by its extension), or none.
IconHandle FileTypeSmallIcon(const std::string& name);

}  // namespace postwink::win
