#pragma once
// CReportCtrl: the multi-column list under the message list. It draws a ReportModel (only the
// rows in view), keeps a header for the shown columns, turns mouse, keyboard and wheel into
// selection, sorting and scrolling, tells its owner through WM_NOTIFY, and shows a cell's whole
// text in a tip when it does not fit.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/config/profile.h"
#include "core/ui/report_geometry.h"
#include "core/ui/report_model.h"
#include "win32/handles.h"
#include "win32/platform/windows_headers.h"
#include "win32/wnd.h"

struct IAccessible;

namespace postwink::win {

inline constexpr const wchar_t* kReportCtrlClassName = L"MFCReportCtrl";

// The record of every notification; the codes are those of core/ui/report_model.h.
struct NMREPORTVIEW {
  NMHDR hdr;
  int row;      // -1 when none
  int column;   // column index, -1 when none
  POINT point;  // client coordinates of the control, for mouse notifications
  UINT key;     // virtual key, for kReportKeyDown
  UINT flags;   // MK_SHIFT and MK_CONTROL as they were held
  LPARAM itemData;
};

// Messages other processes may send (assistive tools, test drivers). WM_GETTEXT answers the
// rows as text (RowsAsText of core/ui/report_model.h).
inline constexpr UINT RVM_GETITEMCOUNT = WM_USER + 0x40;
// wParam row, lParam column: the cell's rectangle in client coordinates packed as four 16-bit
// values (left, top, right, bottom from the low word up); -1 when there is no such cell.
inline constexpr UINT RVM_GETCELLRECT = WM_USER + 0x41;
// The LOGFONT height of the font the rows are drawn in (a font handle means nothing to another
// process); 0 without a font.
inline constexpr UINT RVM_GETFONTHEIGHT = WM_USER + 0x42;

class ReportTip;

class CReportCtrl : public Wnd {
 public:
  CReportCtrl();
  ~CReportCtrl() override;

  // style: WS_CHILD etc. plus the report style bits in its low word.
  bool Create(HWND parent, int id, const RECT& rect, DWORD style);

  ReportModel& Model() { return model_; }
  const ReportModel& Model() const { return model_; }
  // After changing the model directly: recomputes the scroll range and redraws.
  void Refresh();

  bool DefineColumn(int index, const ReportColumn& column);
  bool ActivateColumn(int column, int position);
  void SetColumnMaxWidth(int column, int maxWidth);
  bool SaveState(Profile& profile, const char* section, const char* key) const;
  // False (and no change) when the key is missing or does not describe these columns.
  bool RestoreState(const Profile& profile, const char* section, const char* key);

  void SetEmptyText(std::string text) { emptyText_ = std::move(text); }
  // Report style bits; the grid bits change the row height.
  void ModifyStyle(DWORD remove, DWORD add);
  void SetSelectionColour(COLORREF colour) { selectionColour_ = colour; }
  void SetBackgroundColour(COLORREF colour) { backgroundColour_ = colour; }
  void SetColour(int index, COLORREF colour) { model_.SetColour(index, colour); }
  // Not owned; the header shows the same images.
  void SetImageList(HIMAGELIST images);
  HIMAGELIST ImageList() const { return images_; }
  void SetNotifyMask(uint32_t mask) { notifyMask_ = mask; }
  // Cell tips need the style bit and this (the program's tool-tip setting).
  void EnableCellTips(bool enable) { tipsEnabled_ = enable; }

  int InsertItem(int position, ReportRow row);
  bool SetCell(int row, int column, const ReportCell& cell);
  bool SetItemImage(int row, int column, int image);
  bool SetItemBold(int row, bool bold);
  bool DeleteItem(int row);
  // Notifies every row's deletion, then removes them all.
  void DeleteAllItems();
  int GetItemCount() const { return model_.RowCount(); }
  int GetFirstSelected() const { return model_.FirstSelected(); }
  int GetNextSelected(int row) const { return model_.NextSelected(row); }
  std::vector<int> GetSelectedItems() const { return model_.SelectedRows(); }
  // Programmatic selection: no notification.
  bool SelectItem(int row);
  bool SelectAll();
  void SetSortCallback(ReportCompare compare) { model_.SetCompare(std::move(compare)); }
  void SortItems(int column, bool ascending);
  // As a click on the column's header sorts, without asking the owner.
  void SortByHeaderClick(int column);
  SortState GetSortColumn() const { return model_.Sorting(); }
  ReportHit HitTest(POINT client) const;
  std::optional<RECT> GetItemRect(int row, int column) const;
  void EnsureVisible(int row);

  int RowHeight() const { return rowHeight_; }
  int Dpi() const { return dpi_; }
  // The monitor's DPI changed: the columns keep their design widths, the owner gives the fonts
  // and images of the new DPI.
  void SetDpi(int dpi);
  int HeaderHeight() const;
  bool HasVerticalScrollBar() const;
  bool HasHorizontalScrollBar() const;
  int TopRow() const { return topRow_; }
  // The rows as WM_GETTEXT answers them.
  std::wstring RowsText() const;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Sends a notification to the owner when its bit of the mask is set; 0 otherwise.
  LRESULT Notify(int code, int row, int column, POINT point = {}, UINT key = 0, UINT flags = 0);

 private:
  DWORD ReportStyle() const;
  ReportView View() const;
  void CreateHeader();
  void RebuildHeader();
  void UpdateLayout();
  void UpdateRowHeight();
  int TextMargin() const;
  // The images' width; they are made for the control's DPI.
  int ImageSize() const;
  void ScrollTo(int topRow, int scrollX);
  void OnLeftButtonDown(POINT p, UINT keys);
  void OnRightButtonDown(POINT p, UINT keys);
  bool OnKeyDown(UINT key);
  void OnHeaderNotify(NMHDR* header, LRESULT& result);
  void ApplySelectionChange(const std::function<bool()>& change);
  // Scrolls the focused row into view and redraws, after the rows moved or the focus did.
  void RevealFocus();
  // Tells screen readers that the focused row or the selection changed.
  void AnnounceSelection(int focusBefore, bool selectionChanged);
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  void AutoSizeColumn(int column);
  void OnMouseMove(POINT p, UINT keys);
  void Paint(HDC dc, const RECT& area) const;
  void PaintRow(HDC dc, int row, int top, int width) const;
  void PaintEmptyText(HDC dc, int width) const;
  COLORREF ColourOr(int index, COLORREF fallback) const;

  ReportModel model_;
  HWND header_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HFONT font_ = nullptr;  // the owner's
  GdiHandle boldFont_;
  int textHeight_ = 13;
  int rowHeight_ = 17;
  int dpi_ = kDesignDpi;
  int topRow_ = 0;
  int scrollX_ = 0;
  int wheelStep_ = 3;
  WheelAccumulator wheel_;
  bool inLayout_ = false;
  bool tipsEnabled_ = false;
  bool trackingLeave_ = false;
  uint32_t notifyMask_ = 0xFFFFFFFF;
  COLORREF selectionColour_;
  COLORREF backgroundColour_;
  std::string emptyText_ = kReportDefaultEmptyText;
  std::unique_ptr<ReportTip> tip_;
  IAccessible* accessible_ = nullptr;  // made at the first reader's question; one reference
};

}  // namespace postwink::win
