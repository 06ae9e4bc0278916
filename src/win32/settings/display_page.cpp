#include "win32/settings/display_page.h"

#include "core/settings_ui/font_lists.h"
#include "core/text/utf8.h"
#include "core/ui/colour_palette.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

// The colour button of each scheme colour, in the order of SchemeColour.
constexpr std::array<int, kSchemeColourCount> kColourButtons = {
    IDC_DISPLAY_BACKGROUND, IDC_DISPLAY_FROM,         IDC_DISPLAY_SUBJECT,     IDC_DISPLAY_DATE,
    IDC_DISPLAY_SELECTION,  IDC_DISPLAY_PREVIEW_TEXT, IDC_DISPLAY_PREVIEW_BACK};

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
  reinterpret_cast<FontFaceCollector*>(faces)->Offer(Narrow(font->lfFaceName), font->lfCharSet);
  return 1;
}

struct FaceSizes {
  bool raster = false;
  std::vector<int> pixelHeights;
};

int CALLBACK CollectSize(const LOGFONTW*, const TEXTMETRICW* metric, DWORD type, LPARAM sizes) {
  auto* s = reinterpret_cast<FaceSizes*>(sizes);
  if (type & RASTER_FONTTYPE) {
    s->raster = true;
    s->pixelHeights.push_back(metric->tmHeight - metric->tmInternalLeading);
  }
  return 1;
}

}  // namespace

DisplayPage::DisplayPage(int position, SheetContext& context)
    : SettingsPage(IDD_PROPPAGE2, position, context) {}

void DisplayPage::OnInit() {
  const Settings& s = context_.settings;
  IniFile colourList;
  colourList.Load(PlatformSystem().files, PlatformSystem().codePage,
                  context_.programDirectory + kColourListFileName);
  schemes_ =
      std::make_unique<SchemeList>(ReadColourList(colourList), s.colList, SchemeColoursOf(s));
  for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i].Attach(Item(kColourButtons[i]));
  FillSchemes();
  SetButtonColours(SchemeColoursOf(s));
  SetChecked(IDC_DISPLAY_TRIM_FROM, s.trimFrom != 0);
  FillFaces();
  SelectFace(IDC_DISPLAY_FACE, s.fontName);
  SelectFace(IDC_DISPLAY_PREVIEW_FACE, s.fontNamePreview);
  FillSizes(IDC_DISPLAY_FACE, IDC_DISPLAY_SIZE, OpeningFontSize(s.fontSize));
  FillSizes(IDC_DISPLAY_PREVIEW_FACE, IDC_DISPLAY_PREVIEW_SIZE, OpeningFontSize(s.fontSizePreview));
}

void DisplayPage::FillSchemes() {
  HWND combo = Item(IDC_DISPLAY_SCHEME);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const ColourScheme& scheme : schemes_->Entries()) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(scheme.name).c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(schemes_->Selected()), 0);
}

SchemeColours DisplayPage::ButtonColours() const {
  SchemeColours colours{};
  for (size_t i = 0; i < buttons_.size(); ++i) colours[i] = buttons_[i].Colour();
  return colours;
}

void DisplayPage::SetButtonColours(const SchemeColours& colours) {
  for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i].SetColour(colours[i]);
}

void DisplayPage::FillFaces() {
  HDC dc = GetDC(hwnd());
  FontFaceCollector faces;
  // The page's own character set first, then the OEM set, then every set.
  for (int charset : {GetTextCharset(dc), 255, static_cast<int>(DEFAULT_CHARSET)}) {
    LOGFONTW query{};
    query.lfCharSet = static_cast<BYTE>(charset);
    EnumFontFamiliesExW(dc, &query, &CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  }
  ReleaseDC(hwnd(), dc);
  for (int combo : {IDC_DISPLAY_FACE, IDC_DISPLAY_PREVIEW_FACE}) {
    for (const std::string& face : faces.Faces()) {
      SendMessageW(Item(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(face).c_str()));
    }
  }
}

void DisplayPage::SelectFace(int faceCombo, const std::string& face) {
  HWND combo = Item(faceCombo);
  LRESULT found = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(Widen(face).c_str()));
  if (found == CB_ERR) {
    // A face that is not installed: the page's own font stands in.
    LOGFONTW own{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    if (font != nullptr && GetObjectW(font, sizeof own, &own) != 0) {
      found = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(own.lfFaceName));
    }
  }
  if (found != CB_ERR) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

std::string DisplayPage::SelectedText(int combo) const {
  HWND window = Item(combo);
  LRESULT index = SendMessageW(window, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  LRESULT length = SendMessageW(window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return Narrow(text);
}

int DisplayPage::SelectedSize(int sizeCombo) const {
  std::string text = SelectedText(sizeCombo);
  return text.empty() ? 0 : std::atoi(text.c_str());
}

void DisplayPage::FillSizes(int faceCombo, int sizeCombo, int size) {
  std::vector<int> sizes(kScalableFontSizes.begin(), kScalableFontSizes.end());
  std::string face = SelectedText(faceCombo);
  if (!face.empty()) {
    HDC dc = GetDC(hwnd());
    LOGFONTW query{};
    query.lfCharSet = kJapaneseCharset;
    std::wstring name = Widen(face);
    lstrcpynW(query.lfFaceName, name.c_str(), LF_FACESIZE);
    FaceSizes found;
    EnumFontFamiliesExW(dc, &query, &CollectSize, reinterpret_cast<LPARAM>(&found), 0);
    if (found.raster) sizes = RasterFontSizes(found.pixelHeights, GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(hwnd(), dc);
  }
  HWND combo = Item(sizeCombo);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int s : sizes) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(s).c_str()));
  }
  int selection = FontSizeSelection(sizes, size);
  if (selection >= 0) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

bool DisplayPage::Apply() {
  Settings& s = context_.settings;
  SetSchemeColours(s, ButtonColours());
  s.trimFrom = Checked(IDC_DISPLAY_TRIM_FROM) ? 1 : 0;
  s.colList = schemes_->Text();
  std::string face = SelectedText(IDC_DISPLAY_FACE);
  if (!face.empty()) s.fontName = std::string(CutToUtf16Units(face, kMaxShortText));
  face = SelectedText(IDC_DISPLAY_PREVIEW_FACE);
  if (!face.empty()) s.fontNamePreview = std::string(CutToUtf16Units(face, kMaxShortText));
  if (int size = SelectedSize(IDC_DISPLAY_SIZE); size > 0) s.fontSize = size;
  if (int size = SelectedSize(IDC_DISPLAY_PREVIEW_SIZE); size > 0) s.fontSizePreview = size;
  return true;
}

std::optional<LRESULT> DisplayPage::OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == static_cast<UINT>(ColourMessage::kChosen)) {
    for (size_t i = 0; i < kColourButtons.size(); ++i) {
      if (kColourButtons[i] != static_cast<int>(lParam)) continue;
      if (schemes_->ColourChosen(static_cast<SchemeColour>(i), ButtonColours())) FillSchemes();
    }
    return 0;
  }
  if (msg != WM_COMMAND || HIWORD(wParam) != CBN_SELCHANGE) return std::nullopt;
  switch (LOWORD(wParam)) {
    case IDC_DISPLAY_SCHEME: {
      int index = static_cast<int>(SendMessageW(Item(IDC_DISPLAY_SCHEME), CB_GETCURSEL, 0, 0));
      SetButtonColours(schemes_->Choose(index));
      return 0;
    }
    case IDC_DISPLAY_FACE:
      FillSizes(IDC_DISPLAY_FACE, IDC_DISPLAY_SIZE, SelectedSize(IDC_DISPLAY_SIZE));
      return 0;
    case IDC_DISPLAY_PREVIEW_FACE:
      FillSizes(IDC_DISPLAY_PREVIEW_FACE, IDC_DISPLAY_PREVIEW_SIZE,
                SelectedSize(IDC_DISPLAY_PREVIEW_SIZE));
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
