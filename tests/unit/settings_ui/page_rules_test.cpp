// The smaller rules of the settings pages: number fields, font lists, the message list page's
// bit fields and enabling, the pages of the sheet and the start page.
#include <gtest/gtest.h>

#include "core/settings_ui/font_lists.h"
#include "core/settings_ui/list_page_model.h"
#include "core/settings_ui/number_fields.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "core/settings_ui/sheet_pages.h"

namespace postwink {
namespace {

TEST(NumberFields, IntegersWithinTheRangeAreTakenEverythingElseRefused) {
  struct Case {
    const char* text;
    NumberRange range;
    std::optional<int> value;
  } cases[] = {
      {"10", kIntervalRange, 10},
      {" 1 ", kIntervalRange, 1},
      {"+10000", kIntervalRange, 10000},
      {"0", kIntervalRange, std::nullopt},
      {"10001", kIntervalRange, std::nullopt},
      {"-5", kDrawMsRange, std::nullopt},
      {"0", kDrawMsRange, 0},
      {"600", kOpenSecondsRange, 600},
      {"601", kOpenSecondsRange, std::nullopt},
      {"500", kPreviewHeightRange, 500},
      {"99999999999999999999", kPortRange, std::nullopt},
      {"", kIntervalRange, std::nullopt},
      {"12a", kIntervalRange, std::nullopt},
      {"-", kIntervalRange, std::nullopt},
      {"1 2", kIntervalRange, std::nullopt},
  };
  for (const Case& c : cases) {
    NumberField field = ReadNumberField(c.text, c.range);
    EXPECT_EQ(field.value, c.value) << c.text;
    EXPECT_EQ(field.message.empty(), c.value.has_value()) << c.text;
  }
  EXPECT_EQ(ReadNumberField("x", kIntervalRange).message, texts::kIntegerRequired);
  char expected[160];
  std::snprintf(expected, sizeof expected, texts::kIntegerRange, 1, 10000);
  EXPECT_EQ(ReadNumberField("0", kIntervalRange).message, expected);
}

TEST(FontLists, OnlyJapaneseHorizontalFacesEachOnce) {
  FontFaceCollector faces;
  faces.Offer("\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", 128);  // "ＭＳ ゴシック"
  faces.Offer("@\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", 128);
  faces.Offer("Arial", 0);
  faces.Offer("IPAGothic", 128);
  faces.Offer("IPAGothic", 128);  // found again by a later pass
  faces.Offer("IPAGothic", 1);
  EXPECT_EQ(faces.Faces(), (std::vector<std::string>{
                               "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", "IPAGothic"}));
}

TEST(FontLists, RasterSizesAreWholePointsAscendingAndTheSelectionFollowsThePreviousSize) {
  // 12, 13 and 16 pixels at 96 dots per inch: 9, 10 and 12 points; 13 pixels twice.
  EXPECT_EQ(RasterFontSizes({16, 12, 13, 13, 0}, 96), (std::vector<int>{9, 10, 12}));
  EXPECT_EQ(RasterFontSizes({12}, 120), (std::vector<int>{7}));
  EXPECT_TRUE(RasterFontSizes({12}, 0).empty());

  const std::vector<int> scalable(kScalableFontSizes.begin(), kScalableFontSizes.end());
  struct Case {
    std::vector<int> sizes;
    int previous;
    int index;
  } cases[] = {
      {scalable, 9, 1}, {scalable, 13, 4},  // 12, the largest below
      {scalable, 5, 0}, {scalable, 100, 15}, {{9, 10, 12}, 11, 1}, {{}, 9, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FontSizeSelection(c.sizes, c.previous), c.index) << c.previous;
  }
  EXPECT_EQ(OpeningFontSize(0), 9);
  EXPECT_EQ(OpeningFontSize(12), 12);
}

TEST(ListPage, BitFieldsAndButtonGroupsRoundTripKeepingForeignBits) {
  Settings s;
  s.dispPos = 1;
  s.showStyle = 8 | kShowStyleVertical | kShowEffectRoll;  // bit 3 is none of the page's
  s.grid = 1 | kGridVertical;
  ListPageValues v = ListPageValuesOf(s);
  EXPECT_EQ(v.position, 1);
  EXPECT_EQ(v.effect, kShowEffectRoll);
  EXPECT_TRUE(v.vertical);
  EXPECT_FALSE(v.horizontalLines);
  EXPECT_TRUE(v.verticalLines);

  v.effect = kShowEffectFade;
  v.vertical = false;
  v.horizontalLines = true;
  v.verticalLines = false;
  v.position = -1;  // no button checked: the value stays
  ApplyListPage(v, s);
  EXPECT_EQ(s.showStyle, 8 | kShowEffectFade);
  EXPECT_EQ(s.grid, 1 | kGridHorizontal);
  EXPECT_EQ(s.dispPos, 1);

  // A hand-edited effect 3 has no button; unless one is chosen it stays.
  s.showStyle = 3;
  v = ListPageValuesOf(s);
  v.effect = -1;
  ApplyListPage(v, s);
  EXPECT_EQ(s.showStyle, 3);
}

TEST(ListPage, EnablingFollowsTheFadeAutoCloseAndPreview) {
  struct Case {
    int effect;
    bool autoClose, preview, windows98OrMe;
    bool fade, direction, openTime, previewHeight;
  } cases[] = {
      {kShowEffectSlide, true, true, false, true, true, true, true},
      {kShowEffectFade, false, false, false, true, false, false, false},
      {kShowEffectRoll, true, false, true, false, true, true, false},
  };
  for (const Case& c : cases) {
    ListPageValues v;
    v.effect = c.effect;
    v.autoClose = c.autoClose;
    v.preview = c.preview;
    ListPageEnabling e = ListPageEnablingOf(v, c.windows98OrMe);
    EXPECT_EQ(e.fade, c.fade);
    EXPECT_EQ(e.direction, c.direction);
    EXPECT_EQ(e.openTime, c.openTime);
    EXPECT_EQ(e.previewHeight, c.previewHeight);
  }
}

TEST(SheetPages, AdvanceIsTheSixthPageOnlyWhenSet) {
  std::vector<SheetPage> pages = SheetPages(false);
  ASSERT_EQ(pages.size(), 5u);
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i].templateId, 105 + static_cast<int>(i));
    EXPECT_EQ(pages[i].bannerTitle, 105 + 2 * static_cast<int>(i));
    EXPECT_EQ(pages[i].bannerText, pages[i].bannerTitle + 1);
  }
  pages = SheetPages(true);
  ASSERT_EQ(pages.size(), 6u);
  EXPECT_STREQ(pages[5].className, "CPropertyPageA");
  EXPECT_EQ(pages[5].templateId, 110);
}

TEST(SheetPages, OkOnOneOfTheFirstFourPagesOpensTheNextSheetThere) {
  StartPageMemory memory;
  EXPECT_EQ(memory.StartPage(), 0);
  struct Case {
    const char* className;
    int start;
  } cases[] = {
      {"CPropertyPage3", 2}, {"CPropertyPage4", 3}, {"CPropertyPage5", 0},
      {"CPropertyPage1", 0}, {"CPropertyPageA", 0}, {"CPropertyPage2", 1},
  };
  for (const Case& c : cases) {
    memory.RememberOk(c.className);
    EXPECT_EQ(memory.StartPage(), c.start) << c.className;
  }
}

}  // namespace
}  // namespace postwink
