#include "win32/settings/filter_page.h"

#include "win32/resource.h"
#include "win32/settings/filter_edit_dialog.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

struct Column {
  const char* title;
  int width;
};
// "ヘッダ", "表示制御", "検索文字列"
constexpr Column kColumns[] = {{"ヘッダ", 50}, {"表示制御", 70}, {"検索文字列", 130}};

}  // namespace

FilterPage::FilterPage(int position, SheetContext& context)
    : SettingsPage(IDD_PROPPAGE4, position, context) {}

void FilterPage::OnInit() {
  model_ = std::make_unique<FilterPageModel>(context_.settings.filters);
  HWND list = Item(IDC_FILTER_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const Column& c : kColumns) {
    std::wstring title = Widen(c.title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = c.width;
    column.pszText = title.data();
    ListView_InsertColumn(list, index++, &column);
  }
  FillRows();
}

void FilterPage::SetRow(int row, bool insert) {
  HWND list = Item(IDC_FILTER_LIST);
  const FilterRowTexts texts = FilterRowTextsOf(model_->Rules()[static_cast<size_t>(row)]);
  const std::string* cells[] = {&texts.header, &texts.control, &texts.pattern};
  for (int column = 0; column < 3; ++column) {
    std::wstring text = Widen(*cells[column]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text.data();
    if (insert && column == 0) {
      ListView_InsertItem(list, &item);
    } else {
      ListView_SetItem(list, &item);
    }
  }
}

void FilterPage::FillRows() {
  ListView_DeleteAllItems(Item(IDC_FILTER_LIST));
  for (size_t row = 0; row < model_->Rules().size(); ++row) SetRow(static_cast<int>(row), true);
}

std::vector<int> FilterPage::SelectedRows() const {
  std::vector<int> rows;
  HWND list = Item(IDC_FILTER_LIST);
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
    rows.push_back(row);
  }
  return rows;
}

void FilterPage::Select(int row) {
  HWND list = Item(IDC_FILTER_LIST);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, row, FALSE);
}

void FilterPage::OnAdd() {
  if (std::optional<std::string> refusal = model_->AddRefusal()) {
    ShowMessage(*refusal, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  model_->MarkModified();
  FilterEditDialog editor(NewFilterRuleRecord(), context_.settings);
  if (!editor.RunModal(hwnd())) return;
  model_->Add(editor.Rule());
  SetRow(static_cast<int>(model_->Rules().size()) - 1, true);
}

void FilterPage::OnEdit() {
  std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  model_->MarkModified();
  FilterEditDialog editor(model_->Rules()[static_cast<size_t>(rows.front())], context_.settings);
  if (!editor.RunModal(hwnd())) return;
  model_->Replace(rows.front(), editor.Rule());
  SetRow(rows.front(), false);
}

void FilterPage::OnDelete() {
  std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  model_->Delete(rows);
  FillRows();
}

void FilterPage::OnMove(bool up) {
  std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  std::optional<int> moved = up ? model_->MoveUp(rows.front()) : model_->MoveDown(rows.front());
  if (!moved) return;
  FillRows();
  Select(*moved);
}

bool FilterPage::Apply() {
  model_->ApplyTo(context_.settings.filters);
  return true;
}

std::optional<LRESULT> FilterPage::OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::optional<LRESULT> handled = OnCommand(msg, wParam, lParam);
  if (handled && model_->Modified()) MarkModified();
  return handled;
}

std::optional<LRESULT> FilterPage::OnCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) {
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.idFrom == IDC_FILTER_LIST && header.code == NM_DBLCLK) {
      OnEdit();
      return 0;
    }
    return std::nullopt;
  }
  if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
  switch (LOWORD(wParam)) {
    case IDC_FILTER_ADD:
      OnAdd();
      return 0;
    case IDC_FILTER_EDIT:
      OnEdit();
      return 0;
    case IDC_FILTER_DELETE:
      OnDelete();
      return 0;
    case IDC_FILTER_UP:
      OnMove(true);
      return 0;
    case IDC_FILTER_DOWN:
      OnMove(false);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
