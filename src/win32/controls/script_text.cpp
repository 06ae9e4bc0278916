#include "win32/controls/script_text.h"

#include <algorithm>
#include <array>

namespace postwink::win {
namespace {

// Fonts that hold what a Japanese face lacks, those of Windows first, then those the Debian
// packages bring (for Wine). The first that has every glyph of a stretch is taken.
constexpr std::array<const wchar_t*, 14> kFallbackFaces = {
    L"Segoe UI",       L"Malgun Gothic",   L"Microsoft YaHei",  L"Leelawadee UI",       L"Tahoma",
    L"Segoe UI Emoji", L"Segoe UI Symbol", L"Noto Sans CJK KR", L"Noto Sans CJK SC",    L"Loma",
    L"Symbola",        L"DejaVu Sans",     L"Arial Unicode MS", L"Microsoft Sans Serif"};

// Characters that draw nothing (joiners, variation selectors, direction marks): a font without
// them is not missing anything.
bool Invisible(wchar_t c) {
  return (c >= 0x200B && c <= 0x200F) || (c >= 0x2060 && c <= 0x2064) ||
         (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0x00AD;
}

}  // namespace

std::vector<size_t> ScriptLine::ClusterGlyphs(const Run& run, size_t i) {
  // From the character's first glyph to the next cluster's first.
  const size_t start = run.clusters[i];
  size_t end = run.glyphs.size();
  for (WORD c : run.clusters) {
    if (c > start) end = std::min<size_t>(end, c);
  }
  std::vector<size_t> glyphs;
  for (size_t g = start; g < end; ++g) glyphs.push_back(g);
  return glyphs;
}

// No line of a cell, tip or menu shows more; a hostile header thousands of characters long
// is laid out no further (Uniscribe counts glyphs of a run in 16 bits).
constexpr size_t kMaxLineChars = 1024;

ScriptLine::ScriptLine(HDC dc, std::wstring_view text, GlyphFallback fallback)
    : dc_(dc), text_(text.substr(0, kMaxLineChars)), fallback_(fallback == GlyphFallback::kOn) {
  // Never end inside a surrogate pair.
  if (text_.size() == kMaxLineChars && IS_HIGH_SURROGATE(text_.back())) text_.pop_back();
  Font primary;
  primary.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  GetObjectW(primary.font, sizeof base_, &base_);
  fonts_.push_back(std::move(primary));
  TEXTMETRICW tm{};
  if (GetTextMetricsW(dc, &tm)) {
    size_.cy = tm.tmHeight;
    tabWidth_ = std::max<int>(1, 8 * tm.tmAveCharWidth);
  }
  if (text_.empty()) return;

  const int length = static_cast<int>(text_.size());
  std::vector<SCRIPT_ITEM> items(16);
  int count = 0;
  HRESULT result;
  while ((result = ScriptItemize(text_.data(), length, static_cast<int>(items.size()) - 1, nullptr,
                                 nullptr, items.data(), &count)) == E_OUTOFMEMORY) {
    items.resize(items.size() * 2);
  }
  if (FAILED(result)) return;
  attrs_.resize(text_.size());
  for (int i = 0; i < count; ++i) {
    const size_t first = static_cast<size_t>(items[i].iCharPos);
    const size_t end = static_cast<size_t>(items[i + 1].iCharPos);
    ScriptBreak(text_.data() + first, static_cast<int>(end - first), &items[i].a,
                attrs_.data() + first);
    AddItem(items[i].a, first, end - first);
  }
  ExpandTabs();
  for (const Run& run : runs_) {
    size_.cx += run.width;
    missing_ += run.missing;
  }
}

ScriptLine::~ScriptLine() {
  for (Font& font : fonts_) ScriptFreeCache(&font.cache);
}

bool ScriptLine::Shape(Run& run, size_t font) {
  Font& f = fonts_[font];
  run.font = font;
  HGDIOBJ old = SelectObject(dc_, f.font);
  if (f.cache == nullptr) {
    SCRIPT_FONTPROPERTIES props{};
    props.cBytes = sizeof props;
    if (SUCCEEDED(ScriptGetFontProperties(dc_, &f.cache, &props))) {
      f.defaultGlyph = props.wgDefault;
      f.blankGlyph = props.wgBlank;
    }
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc_, &tm)) f.ascent = tm.tmAscent;
  }
  const wchar_t* chars = text_.data() + run.first;
  const int n = static_cast<int>(run.length);
  run.clusters.assign(run.length, 0);
  size_t capacity = run.length + run.length / 2 + 16;
  int glyphCount = 0;
  HRESULT result;
  while (true) {
    run.glyphs.assign(capacity, 0);
    run.visattrs.assign(capacity, SCRIPT_VISATTR{});
    result = ScriptShape(dc_, &f.cache, chars, n, static_cast<int>(capacity), &run.analysis,
                         run.glyphs.data(), run.clusters.data(), run.visattrs.data(), &glyphCount);
    if (result == USP_E_SCRIPT_NOT_IN_FONT && run.analysis.eScript != SCRIPT_UNDEFINED) {
      // The font has no shaping for the script: its plain glyphs, which show what it lacks.
      run.analysis.eScript = SCRIPT_UNDEFINED;
      continue;
    }
    if (result != E_OUTOFMEMORY) break;
    capacity *= 2;
  }
  if (FAILED(result)) {
    SelectObject(dc_, old);
    return false;
  }
  run.glyphs.resize(static_cast<size_t>(glyphCount));
  run.visattrs.resize(static_cast<size_t>(glyphCount));
  run.advances.assign(static_cast<size_t>(glyphCount), 0);
  run.offsets.assign(static_cast<size_t>(glyphCount), GOFFSET{});
  ABC abc{};
  result = ScriptPlace(dc_, &f.cache, run.glyphs.data(), glyphCount, run.visattrs.data(),
                       &run.analysis, run.advances.data(), run.offsets.data(), &abc);
  SelectObject(dc_, old);
  if (FAILED(result)) return false;
  const std::vector<bool> missing = MissingChars(run);
  run.missing = static_cast<int>(std::count(missing.begin(), missing.end(), true));
  // What draws nothing anyway must not show as a box where the font lacks it.
  for (size_t i = 0; i < run.length; ++i) {
    if (!Invisible(chars[i])) continue;
    for (size_t g = run.clusters[i]; g < run.glyphs.size() && g == run.clusters[i]; ++g) {
      if (run.glyphs[g] == f.defaultGlyph) {
        run.glyphs[g] = f.blankGlyph;
        run.advances[g] = 0;
      }
    }
  }
  run.width = 0;
  for (int advance : run.advances) run.width += advance;
  return true;
}

std::vector<bool> ScriptLine::MissingChars(const Run& run) const {
  const Font& f = fonts_[run.font];
  std::vector<bool> missing(run.length, false);
  for (size_t i = 0; i < run.length; ++i) {
    if (Invisible(text_[run.first + i])) continue;
    for (size_t g : ClusterGlyphs(run, i)) {
      if (run.glyphs[g] == f.defaultGlyph && !run.visattrs[g].fZeroWidth) missing[i] = true;
    }
  }
  return missing;
}

size_t ScriptLine::FallbackFont(size_t candidate) {
  for (size_t i = 1; i < fonts_.size(); ++i) {
    LOGFONTW lf{};
    GetObjectW(fonts_[i].font, sizeof lf, &lf);
    if (std::wstring_view(lf.lfFaceName) == kFallbackFaces[candidate]) return i;
  }
  LOGFONTW lf = base_;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wstring_view(kFallbackFaces[candidate]).copy(lf.lfFaceName, LF_FACESIZE - 1);
  lf.lfFaceName[std::min<size_t>(LF_FACESIZE - 1, wcslen(kFallbackFaces[candidate]))] = L'\0';
  Font font;
  font.owned.reset(CreateFontIndirectW(&lf));
  if (!font.owned.valid()) return 0;
  font.font = static_cast<HFONT>(font.owned.get());
  fonts_.push_back(std::move(font));
  return fonts_.size() - 1;
}

void ScriptLine::AddItem(const SCRIPT_ANALYSIS& analysis, size_t first, size_t length) {
  Run run;
  run.analysis = analysis;
  run.first = first;
  run.length = length;
  if (!Shape(run, 0)) return;
  if (run.missing == 0 || !fallback_) {
    runs_.push_back(std::move(run));
    return;
  }
  // Stretches the face has stay in it; each stretch it lacks goes to the first fallback font
  // that has all of it, else to the one that lacks least.
  const std::vector<bool> missing = MissingChars(run);
  size_t start = 0;
  while (start < length) {
    size_t end = start + 1;
    while (end < length && missing[end] == missing[start]) ++end;
    Run part;
    part.analysis = analysis;
    part.first = first + start;
    part.length = end - start;
    if (Shape(part, 0) && missing[start]) {
      Run best = part;
      for (size_t c = 0; c < kFallbackFaces.size() && best.missing > 0; ++c) {
        Run trial = part;
        trial.analysis = analysis;
        const size_t font = FallbackFont(c);
        if (font != 0 && Shape(trial, font) && trial.missing < best.missing) {
          best = std::move(trial);
        }
      }
      part = std::move(best);
    }
    if (!part.glyphs.empty()) runs_.push_back(std::move(part));
    start = end;
  }
}

void ScriptLine::ExpandTabs() {
  int pen = 0;
  for (Run& run : runs_) {
    for (size_t i = 0; i < run.length; ++i) {
      if (text_[run.first + i] != L'\t' || run.clusters[i] >= run.advances.size()) continue;
      int before = pen;
      for (size_t g = 0; g < run.clusters[i]; ++g) before += run.advances[g];
      int& advance = run.advances[run.clusters[i]];
      const int stop = (before / tabWidth_ + 1) * tabWidth_;
      run.width += stop - before - advance;
      advance = stop - before;
    }
    pen += run.width;
  }
}

void ScriptLine::Draw(int x, int y, const RECT* clip) const {
  for (const Run& run : runs_) {
    const Font& f = fonts_[run.font];
    HGDIOBJ old = SelectObject(dc_, f.font);
    // Fonts of other scripts stand on the same baseline as the line's own font.
    const int top = y + fonts_[0].ascent - f.ascent;
    ScriptTextOut(dc_, &f.cache, x, top, clip ? ETO_CLIPPED : 0, clip, &run.analysis, nullptr, 0,
                  run.glyphs.data(), static_cast<int>(run.glyphs.size()), run.advances.data(),
                  nullptr, run.offsets.data());
    SelectObject(dc_, old);
    x += run.width;
  }
}

size_t ScriptLine::FittingChars(int width) const {
  int used = 0;
  for (const Run& run : runs_) {
    for (size_t i = 0; i < run.length; ++i) {
      // A cut may fall only where a new character starts (not inside a surrogate pair or a
      // cluster such as a base letter and its marks).
      const bool clusterStart = i == 0 || run.clusters[i] != run.clusters[i - 1];
      if (!clusterStart || !attrs_[run.first + i].fCharStop ||
          IS_LOW_SURROGATE(text_[run.first + i])) {
        continue;
      }
      // The whole cluster's advance counts at its first character.
      int advance = 0;
      for (size_t g : ClusterGlyphs(run, i)) advance += run.advances[g];
      if (used + advance > width) return run.first + i;
      used += advance;
    }
  }
  return text_.size();
}

std::vector<FontSpan> ScriptLine::FallbackSpans() const {
  std::vector<FontSpan> spans;
  for (const Run& run : runs_) {
    if (run.font == 0) continue;
    LOGFONTW lf{};
    GetObjectW(fonts_[run.font].font, sizeof lf, &lf);
    spans.push_back({run.first, run.length, lf.lfFaceName});
  }
  return spans;
}

std::vector<FontSpan> TextFallbackSpans(HDC dc, std::wstring_view text) {
  std::vector<FontSpan> spans;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find_first_of(L"\r\n", start), text.size());
    if (end == start) {
      ++start;
      continue;
    }
    ScriptLine line(dc, text.substr(start, end - start));
    for (FontSpan& span : line.FallbackSpans()) {
      span.first += start;
      spans.push_back(std::move(span));
    }
    start += std::max<size_t>(1, line.LaidOut());
  }
  return spans;
}

SIZE MeasureLine(HDC dc, std::wstring_view text) { return ScriptLine(dc, text).Size(); }

void DrawLineAt(HDC dc, std::wstring_view text, int x, int y) { ScriptLine(dc, text).Draw(x, y); }

void DrawLineInRect(HDC dc, std::wstring_view text, const RECT& r, TextAlign align) {
  const int available = r.right - r.left;
  ScriptLine whole(dc, text);
  if (whole.Size().cx <= available) {
    const int width = whole.Size().cx;
    int x = r.left;
    if (align == TextAlign::kCentre) x += (available - width) / 2;
    if (align == TextAlign::kRight) x = r.right - width;
    whole.Draw(x, r.top + (r.bottom - r.top - whole.Size().cy) / 2, &r);
    return;
  }
  // A cut text starts at the left, as the system's own ellipsis does.
  static constexpr std::wstring_view kEllipsis = L"...";
  const int room = std::max<int>(0, available - MeasureLine(dc, kEllipsis).cx);
  std::wstring cut(text.substr(0, whole.FittingChars(room)));
  cut += kEllipsis;
  ScriptLine line(dc, cut);
  line.Draw(r.left, r.top + (r.bottom - r.top - line.Size().cy) / 2, &r);
}

}  // namespace postwink::win
