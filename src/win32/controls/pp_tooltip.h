#pragma once
// CPPTooltip: the balloon tool tip that the dialogs attach to their controls. Help texts are
// written in the mark-up of core/ui/tooltip_markup.h.

#include <optional>
#include <string>
#include <vector>

#include "core/ui/balloon_geometry.h"
#include "core/ui/tooltip_layout.h"
#include "core/ui/tooltip_markup.h"
#include "core/ui/tooltip_relay.h"
#include "win32/platform/windows_headers.h"
#include "win32/wnd.h"

namespace postwink::win {

inline constexpr const wchar_t* kTooltipClassName = L"CPPTooltip";

class CPPTooltip : public Wnd {
 public:
  CPPTooltip();
  ~CPPTooltip() override;

  // Creates the pop-up window owned by the dialog; balloon applies the balloon geometry.
  // Every message the thread retrieves is relayed from then on, as a framework's message
  // pre-translation would.
  bool Create(HWND parent, bool balloon);
  // Destroys the window and forgets the tools.
  void Destroy();
  void SetPlacement(BalloonPlacement placement) { placement_ = placement; }
  // text: mark-up. rect: a part of the control, in its client coordinates.
  void AddTool(HWND control, const std::string& text, std::optional<RECT> rect = std::nullopt);
  void RelayEvent(const MSG& msg);

  // For tests and the dialogs: the tool whose tip is up, and the shape it was given.
  std::optional<int> VisibleTool() const;
  // The mark-up given to the control's tool; null when the control has none.
  const std::string* ToolText(HWND control) const;
  const BalloonLayout& Layout() const { return layout_; }
  const TooltipColourTable& Colours() const { return colours_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Tool {
    HWND control;
    std::string text;
    std::vector<MarkupToken> tokens;
    std::optional<RECT> rect;
  };

  std::optional<int> ToolAt(POINT screen) const;
  void Run(const TooltipRelay::Actions& actions);
  void Show(int tool, POINT mouse);
  void Hide();
  HRGN MakeRegion(bool withShadow) const;
  void Paint(HDC dc);

  std::vector<Tool> tools_;
  TooltipRelay relay_;
  BalloonStyle designStyle_ = BalloonStyle::Plain();
  BalloonStyle style_;  // designStyle_ scaled to the DPI of the control whose tip is up or was last
  BalloonPlacement placement_ = BalloonPlacement::kBelowRight;
  TooltipColourTable colours_;
  LOGFONTW font_{};
  POINT lastMouse_{};
  std::optional<int> visible_;
  BalloonLayout layout_;
  MarkupMeasure measure_;
};

}  // namespace postwink::win
