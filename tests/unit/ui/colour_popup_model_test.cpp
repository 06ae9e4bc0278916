#include "core/ui/colour_popup_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "core/ui/colour_button_model.h"

namespace postwink {
namespace {

using Msg = std::pair<unsigned, uint32_t>;
constexpr unsigned kChanged = 2025, kDropDown = 2026, kCloseUp = 2027, kChosen = 2028,
                   kCancelled = 2029;

struct ParentRecorder : ColourMessageSink {
  void Notify(ColourMessage message, uint32_t colour) override {
    messages.emplace_back(static_cast<unsigned>(message), colour);
  }
  std::vector<Msg> messages;
};

// Stands in for the pop-up window: forwards to the button as SendMessage would.
struct Host : ColourPopupHost {
  explicit Host(ColourButtonModel& b) : button(b) {}
  void Notify(ColourMessage message, uint32_t colour) override { button.Notify(message, colour); }
  std::optional<uint32_t> AskCustomColour(uint32_t initial) override {
    asked.push_back(initial);
    if (duringDialog) duringDialog();
    return dialogAnswer;
  }
  void ReleaseMouse() override { ++releases; }
  ColourButtonModel& button;
  std::optional<uint32_t> dialogAnswer;
  std::vector<uint32_t> asked;
  std::function<void()> duringDialog;
  int releases = 0;
};

class ColourPickerTest : public ::testing::Test {
 protected:
  // Opens the pop-up as a click on the button does.
  ColourPopupModel& Open(uint32_t colour, bool automatic = true, bool custom = true) {
    button.SetColour(colour);
    popup.emplace(button.Colour(), automatic, custom, host);
    button.PopupOpened();
    return *popup;
  }
  void Keys(std::initializer_list<ColourKey> keys) {
    for (ColourKey k : keys) popup->Key(k);
  }

  ParentRecorder parent;
  ColourButtonModel button{parent};
  Host host{button};
  std::optional<ColourPopupModel> popup;
};

using enum ColourKey;

TEST_F(ColourPickerTest, KeyboardChoiceReportsEveryStepToTheParent) {
  Open(0x000000);  // Black: the current entry is cell 0
  Keys({kRight, kDown, kEnter});
  EXPECT_TRUE(popup->Ended());
  EXPECT_EQ(button.Colour(), 0x2068FFu);  // Orange, cell 9
  EXPECT_FALSE(button.PopupOpen());
  EXPECT_EQ(parent.messages, (std::vector<Msg>{{kDropDown, 0x000000},
                                               {kChanged, 0x002AA5},
                                               {kChanged, 0x2068FF},
                                               {kCloseUp, 0x2068FF},
                                               {kChosen, 0x2068FF},
                                               {kChanged, 0x2068FF}}));
  EXPECT_GE(host.releases, 1);
}

TEST_F(ColourPickerTest, EscapeLeavesTheColourAlthoughTheParentSawTheHighlights) {
  Open(0x0000FF);  // Red, cell 16
  Keys({kLeft, kLeft, kEscape});
  EXPECT_EQ(button.Colour(), 0x0000FFu);
  EXPECT_EQ(parent.messages, (std::vector<Msg>{{kDropDown, 0x0000FF},
                                               {kChanged, 0x0000FF},  // 16 is in column 0
                                               {kCloseUp, 0x0000FF},
                                               {kCancelled, 0x0000FF}}));
}

TEST_F(ColourPickerTest, AutomaticRowGivesTheAutomaticValue) {
  Open(0x0000FF);
  Keys({kUp, kUp, kUp, kSpace});  // 16 -> 8 -> 0 -> the automatic row
  EXPECT_EQ(button.Colour(), kAutomaticColour);
  EXPECT_EQ(parent.messages[3], (Msg{kChanged, kAutomaticColour}));
  EXPECT_EQ(parent.messages.back(), (Msg{kChanged, kAutomaticColour}));
}

TEST_F(ColourPickerTest, ChoosingTheSameColourSendsNoFinalChange) {
  Open(0x00FFFF);  // Yellow, cell 26
  popup->Hover(ColourEntry::Cell(26));
  popup->LeftButtonUp(true);
  EXPECT_EQ(
      parent.messages,
      (std::vector<Msg>{
          {kDropDown, 0x00FFFF}, {kChanged, 0x00FFFF}, {kCloseUp, 0x00FFFF}, {kChosen, 0x00FFFF}}));
}

TEST_F(ColourPickerTest, MoreColorsAsksTheColourDialog) {
  Open(0x123456);  // not in the palette: the custom row is current
  EXPECT_EQ(popup->Current(), ColourEntry::Custom());
  host.dialogAnswer = 0xABCDEF;
  // Messages that arrive while the dialog runs its loop change nothing.
  host.duringDialog = [&] { Keys({kEscape, kUp}); };
  Keys({kDown, kEnter});
  EXPECT_EQ(host.asked, (std::vector<uint32_t>{0x123456}));
  EXPECT_EQ(button.Colour(), 0xABCDEFu);
  EXPECT_EQ(parent.messages, (std::vector<Msg>{{kDropDown, 0x123456},
                                               {kChanged, 0x123456},
                                               {kCloseUp, 0xABCDEF},
                                               {kChosen, 0xABCDEF},
                                               {kChanged, 0xABCDEF}}));
}

TEST_F(ColourPickerTest, CancellingTheColourDialogIsACancel) {
  Open(0x123456);
  popup->Hover(ColourEntry::Custom());
  popup->LeftButtonUp(true);
  EXPECT_EQ(button.Colour(), 0x123456u);
  EXPECT_EQ(std::vector<Msg>(parent.messages.end() - 2, parent.messages.end()),
            (std::vector<Msg>{{kCloseUp, 0x123456}, {kCancelled, 0x123456}}));
}

TEST_F(ColourPickerTest, OtherWaysOfLeaving) {
  struct Case {
    const char* name;
    std::function<void(ColourPopupModel&)> act;
    unsigned last;
  } cases[] = {
      {"release outside", [](ColourPopupModel& p) { p.LeftButtonUp(false); }, kCancelled},
      {"deactivated", [](ColourPopupModel& p) { p.ApplicationDeactivated(); }, kCancelled},
      {"enter on nothing", [](ColourPopupModel& p) { p.Key(kEnter); }, kCancelled},
      {"release on a cell",
       [](ColourPopupModel& p) {
         p.Hover(ColourEntry::Cell(39));
         p.Hover(ColourEntry::None());  // the border keeps the highlight
         p.LeftButtonUp(true);
       },
       kChanged},
  };
  for (const Case& c : cases) {
    parent.messages.clear();
    Open(0x000000);
    c.act(*popup);
    EXPECT_TRUE(popup->Ended()) << c.name;
    EXPECT_EQ(parent.messages.back().first, c.last) << c.name;
  }
  EXPECT_EQ(button.Colour(), 0xFFFFFFu);
  // Losing the focus only lets the mouse go.
  Open(0x000000);
  const size_t before = parent.messages.size();
  const int releases = host.releases;
  popup->FocusLost();
  EXPECT_FALSE(popup->Ended());
  EXPECT_EQ(host.releases, releases + 1);
  EXPECT_EQ(parent.messages.size(), before);
}

TEST_F(ColourPickerTest, ArrowsMoveThroughTheGridAndOntoTheTextRows) {
  const auto cell = ColourEntry::Cell;
  const ColourEntry automatic = ColourEntry::Automatic(), custom = ColourEntry::Custom();
  struct Case {
    uint32_t open;
    bool automatic;
    bool custom;
    std::vector<ColourKey> keys;
    ColourEntry expected;
  } cases[] = {
      {0x000000, true, true, {kLeft}, cell(0)},  // first key: the current entry, clamped
      {0x000000, true, true, {kRight, kRight}, cell(2)},
      {0x282828, true, true, {kRight}, cell(7)},  // the last column stops
      {0x000000, true, true, {kUp}, automatic},
      {0x000000, false, true, {kUp, kUp}, cell(0)},   // no automatic row
      {0x5E0000, true, true, {kUp, kDown}, cell(4)},  // back to the same column
      {0xFAE6E6, true, true, {kDown}, custom},
      {0xFAE6E6, true, false, {kDown, kDown}, cell(38)},
      {0xFAE6E6, true, true, {kDown, kUp}, cell(38)},
      {0x123456, false, false, {kDown}, cell(0)},  // no current entry: the first cell
      {0x123456, true, true, {kUp}, cell(32)},
      {kAutomaticColour, true, true, {kDown, kDown}, cell(8)},
  };
  for (const Case& c : cases) {
    Open(c.open, c.automatic, c.custom);
    for (ColourKey k : c.keys) popup->Key(k);
    EXPECT_EQ(popup->Highlight(), c.expected)
        << std::hex << c.open << " " << c.keys.size() << " keys";
  }
}

TEST_F(ColourPickerTest, CurrentEntryFollowsTheOpeningColour) {
  struct Case {
    uint32_t colour;
    bool automatic;
    bool custom;
    ColourEntry expected;
  } cases[] = {
      {kAutomaticColour, true, true, ColourEntry::Automatic()},
      {kAutomaticColour, false, true, ColourEntry::Custom()},
      {0xFFFFFF, true, true, ColourEntry::Cell(39)},
      {0x0000FF, true, true, ColourEntry::Cell(16)},
      {0x123456, true, true, ColourEntry::Custom()},
      {0x123456, true, false, ColourEntry::None()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColourPopupModel(c.colour, c.automatic, c.custom, host).Current(), c.expected)
        << std::hex << c.colour;
  }
}

TEST(ColourPalette, HoldsFortyNamedColoursInOrder) {
  ASSERT_EQ(kColourPalette.size(), 40u);
  EXPECT_EQ(kColourPalette[0].name, "Black");
  EXPECT_EQ(kColourPalette[13].colour, 0xFF0000u);  // "Blue": 0x00BBGGRR
  EXPECT_EQ(kColourPalette[16].colour, 0x0000FFu);  // "Red"
  EXPECT_EQ(kColourPalette[35].name, "Pale green ");
  EXPECT_EQ(kColourPalette[39].name, "White");
}

}  // namespace
}  // namespace postwink
