#include "win32/settings/list_page.h"

#include <array>

#include "win32/resource.h"

namespace postwink::win {
namespace {

constexpr std::array<int, 4> kPositions = {IDC_LIST_TOP_LEFT, IDC_LIST_TOP_RIGHT,
                                           IDC_LIST_BOTTOM_LEFT, IDC_LIST_BOTTOM_RIGHT};
constexpr std::array<int, 3> kEffects = {IDC_LIST_SLIDE, IDC_LIST_ROLL, IDC_LIST_FADE};

}  // namespace

ListPage::ListPage(int position, SheetContext& context)
    : SettingsPage(IDD_PROPPAGE3, position, context) {}

void ListPage::OnInit() {
  const ListPageValues v = ListPageValuesOf(context_.settings);
  CheckIndex(hwnd(), kPositions, v.position);
  CheckIndex(hwnd(), kEffects, v.effect);
  SetChecked(IDC_LIST_HORIZONTAL, !v.vertical);
  SetChecked(IDC_LIST_VERTICAL, v.vertical);
  SetItemText(IDC_LIST_DRAW_MS, std::to_string(v.drawMs));
  SetChecked(IDC_LIST_HORIZONTAL_LINES, v.horizontalLines);
  SetChecked(IDC_LIST_VERTICAL_LINES, v.verticalLines);
  SetChecked(IDC_LIST_HEADINGS, v.headings);
  SetChecked(IDC_LIST_AUTOCLOSE, v.autoClose);
  SetItemText(IDC_LIST_OPEN_SECONDS, std::to_string(v.openSeconds));
  SetChecked(IDC_LIST_PREVIEW, v.preview);
  SetItemText(IDC_LIST_PREVIEW_HEIGHT, std::to_string(v.previewHeight));
  // The fade needs layered windows, which Windows 98 and Me do not have.
  Enable(IDC_LIST_FADE, ListPageEnablingOf(v, context_.windows98OrMe).fade);
  UpdateEnabling();
}

ListPageValues ListPage::ReadButtons() const {
  ListPageValues v = ListPageValuesOf(context_.settings);
  v.position = CheckedIndex(hwnd(), kPositions);
  v.effect = CheckedIndex(hwnd(), kEffects);
  v.vertical = Checked(IDC_LIST_VERTICAL);
  v.horizontalLines = Checked(IDC_LIST_HORIZONTAL_LINES);
  v.verticalLines = Checked(IDC_LIST_VERTICAL_LINES);
  v.headings = Checked(IDC_LIST_HEADINGS);
  v.autoClose = Checked(IDC_LIST_AUTOCLOSE);
  v.preview = Checked(IDC_LIST_PREVIEW);
  return v;
}

void ListPage::UpdateEnabling() {
  const ListPageEnabling e = ListPageEnablingOf(ReadButtons(), context_.windows98OrMe);
  for (int id : {IDC_LIST_DIRECTION_GROUP, IDC_LIST_HORIZONTAL, IDC_LIST_VERTICAL}) {
    Enable(id, e.direction);
  }
  for (int id : {IDC_LIST_OPEN_LABEL, IDC_LIST_OPEN_SECONDS, IDC_LIST_OPEN_UNIT}) {
    Enable(id, e.openTime);
  }
  for (int id : {IDC_LIST_HEIGHT_LABEL, IDC_LIST_PREVIEW_HEIGHT, IDC_LIST_HEIGHT_UNIT}) {
    Enable(id, e.previewHeight);
  }
}

bool ListPage::Validate() {
  return ReadNumber(IDC_LIST_DRAW_MS, kDrawMsRange) &&
         ReadNumber(IDC_LIST_OPEN_SECONDS, kOpenSecondsRange) &&
         ReadNumber(IDC_LIST_PREVIEW_HEIGHT, kPreviewHeightRange);
}

bool ListPage::Apply() {
  std::optional<int> drawMs = ReadNumber(IDC_LIST_DRAW_MS, kDrawMsRange);
  std::optional<int> openSeconds = ReadNumber(IDC_LIST_OPEN_SECONDS, kOpenSecondsRange);
  std::optional<int> height = ReadNumber(IDC_LIST_PREVIEW_HEIGHT, kPreviewHeightRange);
  if (!drawMs || !openSeconds || !height) return false;
  ListPageValues v = ReadButtons();
  v.drawMs = *drawMs;
  v.openSeconds = *openSeconds;
  v.previewHeight = *height;
  ApplyListPage(v, context_.settings);
  return true;
}

std::optional<LRESULT> ListPage::OnPageMessage(UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) UpdateEnabling();
  return std::nullopt;
}

}  // namespace postwink::win
