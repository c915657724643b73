// The settings dialog's computations without a window: slider positions,
// the interval choice, start pages, NAVAREA masks and the manual-mode check.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/settings_dialog_logic.h"

namespace orvane {
namespace {

TEST(SettingsDialogLogic, StartPageIsLimitedToThePagesThereAre) {
  const struct { int requested, page; } cases[] = {{-1, 0}, {-100, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {5, 3}};
  for (const auto& c : cases) EXPECT_EQ(SettingsStartPage(c.requested), c.page) << c.requested;
}

TEST(SettingsDialogLogic, OpacitySliderRoundsAndStaysInRange) {
  const struct { double alpha; int pos; } cases[] = {
      {0.35, 35}, {0.849, 85}, {0.844, 84}, {0.1, 10}, {0.05, 10}, {1.0, 85}, {0.5, 50}, {NAN, 10}};
  for (const auto& c : cases) EXPECT_EQ(OpacitySliderPosition(c.alpha), c.pos) << c.alpha;
}

TEST(SettingsDialogLogic, LineWidthSliderRoundsAndStaysInRange) {
  const struct { double width; int pos; } cases[] = {{2.5, 3}, {2.49, 2}, {2.0, 2}, {0.2, 1}, {6.0, 6}, {9.0, 6}};
  for (const auto& c : cases) EXPECT_EQ(LineWidthSliderPosition(c.width), c.pos) << c.width;
}

TEST(SettingsDialogLogic, IntervalChoiceAppendsAValueNotOffered) {
  const IntervalChoice standard = IntervalChoiceItems(60);
  EXPECT_EQ(standard.items, (std::vector<std::string>{"15", "30", "60", "120", "180", "360", "720"}));
  EXPECT_EQ(standard.selected, 2);

  const IntervalChoice odd = IntervalChoiceItems(45);
  ASSERT_EQ(odd.items.size(), 8u);
  EXPECT_EQ(odd.items.back(), "45");
  EXPECT_EQ(odd.selected, 7);

  EXPECT_EQ(IntervalChoiceItems(720).selected, 6);
  EXPECT_EQ(IntervalChoiceItems(720).items.size(), 7u);
}

TEST(SettingsDialogLogic, IntervalTextThatIsNotAWholeNumberGives60) {
  const struct { const char* text; int minutes; } cases[] = {
      {"30", 30}, {"45", 45}, {" 90 ", 90}, {"", 60}, {"abc", 60}, {"12x", 60}, {"1.5", 60}, {"-5", -5}};
  for (const auto& c : cases) EXPECT_EQ(IntervalFromText(c.text), c.minutes) << '"' << c.text << '"';
}

TEST(SettingsDialogLogic, NavareaMaskSetsBitNMinusOneForItemN) {
  std::vector<bool> ticks(21, false);
  EXPECT_EQ(NavareaMaskFromTicks(ticks), 0);
  ticks[0] = ticks[2] = true;  // NAVAREA I and III
  EXPECT_EQ(NavareaMaskFromTicks(ticks), 0x5);
  std::vector<bool> all(21, true);
  EXPECT_EQ(NavareaMaskFromTicks(all), 0x1FFFFF);
  all.push_back(true);  // an item beyond XXI has no bit
  EXPECT_EQ(NavareaMaskFromTicks(all), 0x1FFFFF);
}

TEST(SettingsDialogLogic, OnlyManualModeNeedsATickedNavarea) {
  EXPECT_TRUE(NavareaSelectionMissing(true, 0));
  EXPECT_FALSE(NavareaSelectionMissing(true, 4));
  EXPECT_FALSE(NavareaSelectionMissing(false, 0));
}

}  // namespace
}  // namespace orvane
