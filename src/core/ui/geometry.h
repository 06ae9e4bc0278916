#pragma once
// Plain screen geometry for the window models: the portable counterparts of POINT, SIZE and
// RECT (right and bottom exclusive, as in Win32).

namespace postwink {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect Inset(int dx, int dy) const { return {left + dx, top + dy, right - dx, bottom - dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace postwink
