#include "win32/controls/pp_tooltip.h"

#include <algorithm>

#include "win32/controls/gdi_text_measurer.h"
#include "win32/controls/script_text.h"
#include "win32/controls/tip_accessible.h"
#include "win32/dpi.h"
#include "win32/handles.h"
#include "win32/list/work_area.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

COLORREF Rgb(uint32_t colour) { return static_cast<COLORREF>(colour & 0x00FFFFFF); }

// The tool tips of the thread, and the hook that hands them every retrieved message: the
// dialogs run modal loops of the system's own, so there is no loop of ours to call from.
thread_local std::vector<CPPTooltip*> relayTargets;
thread_local HHOOK relayHook = nullptr;

LRESULT CALLBACK RelayHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    // A copy: relaying may create or destroy windows, but not tool tips.
    const std::vector<CPPTooltip*> targets = relayTargets;
    for (CPPTooltip* tip : targets) tip->RelayEvent(msg);
  }
  return CallNextHookEx(relayHook, code, wParam, lParam);
}

void Register(CPPTooltip* tip) {
  if (std::find(relayTargets.begin(), relayTargets.end(), tip) != relayTargets.end()) return;
  relayTargets.push_back(tip);
  if (relayHook == nullptr) {
    relayHook = SetWindowsHookExW(WH_GETMESSAGE, &RelayHookProc, nullptr, GetCurrentThreadId());
  }
}

void Unregister(CPPTooltip* tip) {
  std::erase(relayTargets, tip);
  if (relayTargets.empty() && relayHook != nullptr) {
    UnhookWindowsHookEx(relayHook);
    relayHook = nullptr;
  }
}

bool IsPress(UINT msg) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

}  // namespace

CPPTooltip::CPPTooltip()
    : colours_(MakeTooltipColourTable(GetSysColor(COLOR_INFOTEXT), GetSysColor(COLOR_INFOBK),
                                      GetSysColor(COLOR_BTNSHADOW))),
      font_(StatusBarFont()) {}

CPPTooltip::~CPPTooltip() { Destroy(); }

bool CPPTooltip::Create(HWND parent, bool balloon) {
  designStyle_ = balloon ? BalloonStyle::Balloon() : BalloonStyle::Plain();
  WindowArgs args;
  args.className = kTooltipClassName;
  args.classStyle = CS_SAVEBITS;
  args.classBackground = nullptr;
  args.style = WS_POPUP;
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  args.x = 0;
  args.y = 0;
  args.parent = parent;
  if (!CreateWindowFrom(args)) return false;
  Register(this);
  return true;
}

void CPPTooltip::Destroy() {
  Unregister(this);
  tools_.clear();
  visible_.reset();
  relay_ = TooltipRelay();
  Wnd::Destroy();
}

void CPPTooltip::AddTool(HWND control, const std::string& text, std::optional<RECT> rect) {
  tools_.push_back({control, text, ParseMarkup(text), rect});
}

const std::string* CPPTooltip::ToolText(HWND control) const {
  for (const Tool& tool : tools_) {
    if (tool.control == control) return &tool.text;
  }
  return nullptr;
}

std::optional<int> CPPTooltip::VisibleTool() const {
  if (!IsAlive() || !IsWindowVisible(hwnd())) return std::nullopt;
  return visible_;
}

std::optional<int> CPPTooltip::ToolAt(POINT screen) const {
  std::vector<std::optional<Rect>> areas;
  for (const Tool& tool : tools_) {
    RECT area;
    if (!IsWindow(tool.control) || !IsWindowVisible(tool.control)) {
      areas.emplace_back();
      continue;
    }
    if (tool.rect) {
      area = *tool.rect;
      MapWindowPoints(tool.control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    } else if (!GetWindowRect(tool.control, &area)) {
      areas.emplace_back();
      continue;
    }
    areas.push_back(Rect{area.left, area.top, area.right, area.bottom});
  }
  return ToolUnder(areas, {screen.x, screen.y});
}

void CPPTooltip::RelayEvent(const MSG& msg) {
  if (!IsAlive()) return;
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    const bool active = GetActiveWindow() != nullptr;
    lastMouse_ = msg.pt;
    Run(relay_.MouseMove({msg.pt.x, msg.pt.y}, ToolAt(msg.pt), active));
  } else if (IsPress(msg.message)) {
    Run(relay_.Press());
  }
}

void CPPTooltip::Run(const TooltipRelay::Actions& actions) {
  for (TooltipAction action : actions) {
    switch (action) {
      case TooltipAction::kHide:
        Hide();
        break;
      case TooltipAction::kStartShowTimer:
        SetTimer(hwnd(), kTooltipShowTimer, kTooltipShowDelayMs, nullptr);
        break;
      case TooltipAction::kShow:
        if (relay_.ShownTool()) Show(*relay_.ShownTool(), lastMouse_);
        break;
    }
  }
}

void CPPTooltip::Hide() {
  KillTimer(hwnd(), kTooltipShowTimer);
  KillTimer(hwnd(), kTooltipHideTimer);
  if (IsWindowVisible(hwnd())) ShowWindow(hwnd(), SW_HIDE);
  visible_.reset();
}

void CPPTooltip::Show(int tool, POINT mouse) {
  if (tool < 0 || static_cast<size_t>(tool) >= tools_.size()) return;
  // Drawn for the monitor of the control it explains.
  const int dpi = WindowDpi(tools_[tool].control);
  style_ = designStyle_.Scaled(dpi);
  font_ = StatusBarFont(dpi);
  HDC windowDc = GetDC(hwnd());
  HDC dc = CreateCompatibleDC(windowDc);
  ReleaseDC(hwnd(), windowDc);
  if (dc == nullptr) return;
  {
    // The measurer puts the DC's own font back before the DC goes.
    GdiTextMeasurer measurer(dc, font_);
    TooltipLayout layout(measurer.BaseStyle(), colours_, measurer);
    measure_ = layout.Measure(tools_[tool].tokens);
  }
  DeleteDC(dc);
  const Rect area = WorkAreaNear({mouse.x, mouse.y, mouse.x + 1, mouse.y + 1});
  layout_ = PlaceBalloon(style_, measure_.size, {mouse.x, mouse.y}, area, placement_);
  visible_ = tool;
  // What the balloon says, for screen readers.
  SetWindowTextW(hwnd(), Widen(MarkupPlainText(tools_[tool].tokens)).c_str());
  SetWindowRgn(hwnd(), MakeRegion(style_.shadow), FALSE);
  const Rect& w = layout_.window;
  SetWindowPos(hwnd(), HWND_TOPMOST, w.left, w.top, w.Width(), w.Height(),
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd(), nullptr, FALSE);
  SetTimer(hwnd(), kTooltipHideTimer, kTooltipHideDelayMs, nullptr);
}

HRGN CPPTooltip::MakeRegion(bool withShadow) const {
  const Rect& b = layout_.body;
  HRGN region = style_.rounded ? CreateRoundRectRgn(b.left, b.top, b.right, b.bottom,
                                                    style_.corner.width, style_.corner.height)
                               : CreateRectRgn(b.left, b.top, b.right, b.bottom);
  if (layout_.hasPointer) {
    POINT points[3];
    for (int i = 0; i < 3; ++i) points[i] = {layout_.pointer[i].x, layout_.pointer[i].y};
    HRGN pointer = CreatePolygonRgn(points, 3, WINDING);
    CombineRgn(region, region, pointer, RGN_OR);
    DeleteObject(pointer);
  }
  if (withShadow) {
    HRGN shadow = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(shadow, region, nullptr, RGN_COPY);
    OffsetRgn(shadow, layout_.shadow.x, layout_.shadow.y);
    CombineRgn(region, region, shadow, RGN_OR);
    DeleteObject(shadow);
  }
  return region;
}

void CPPTooltip::Paint(HDC dc) {
  HRGN region = MakeRegion(false);
  if (style_.shadow) {
    HRGN shadow = MakeRegion(false);
    OffsetRgn(shadow, layout_.shadow.x, layout_.shadow.y);
    HBRUSH brush = CreateSolidBrush(Rgb(colours_[kTooltipShadowColour]));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const int oldRop = SetROP2(dc, R2_MASKPEN);
    PaintRgn(dc, shadow);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    DeleteObject(shadow);
  }
  SelectClipRgn(dc, region);
  HBRUSH back = CreateSolidBrush(Rgb(colours_[kTooltipBackColour]));
  FillRgn(dc, region, back);
  DeleteObject(back);
  HBRUSH border = CreateSolidBrush(Rgb(colours_[kTooltipBorderColour]));
  FrameRgn(dc, region, border, style_.border.width, style_.border.height);
  DeleteObject(border);

  if (visible_) {
    GdiTextMeasurer measurer(dc, font_);
    TooltipLayout layout(measurer.BaseStyle(), colours_, measurer);
    const MarkupDrawing drawing = layout.Draw(tools_[*visible_].tokens, layout_.textArea, measure_);
    for (const MarkupRun& run : drawing.runs) {
      measurer.Select(run.font);
      SetTextColor(dc, Rgb(run.textColour));
      SetBkMode(dc, run.opaque ? OPAQUE : TRANSPARENT);
      SetBkColor(dc, Rgb(run.backColour));
      DrawLineAt(dc, Widen(run.text), run.origin.x, run.origin.y);
    }
    for (const MarkupRule& rule : drawing.rules) {
      HBRUSH brush = CreateSolidBrush(Rgb(rule.colour));
      RECT line{rule.left, rule.y, rule.right, rule.y + 1};
      FillRect(dc, &line, brush);
      DeleteObject(brush);
    }
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(region);
}

std::optional<LRESULT> CPPTooltip::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (wParam == kTooltipShowTimer) {
        KillTimer(hwnd(), kTooltipShowTimer);
        POINT cursor{};
        GetCursorPos(&cursor);
        Run(relay_.ShowTimerFired({cursor.x, cursor.y}, ToolAt(cursor)));
        return 0;
      }
      if (wParam == kTooltipHideTimer) {
        Run(relay_.HideTimerFired());
        return 0;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      Paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_GETOBJECT:
      return AnswerTipGetObject(hwnd(), wParam, lParam);
    case WM_DESTROY:
      Unregister(this);
      break;
    default:
      break;
  }
  return Wnd::OnMessage(msg, wParam, lParam);
}

}  // namespace postwink::win
