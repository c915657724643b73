// What the settings dialog computes without a window: slider positions,
// the interval choice, the start page, NAVAREA masks from check lists and the
// checks Save and Fetch now make.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

constexpr int kSettingsPageCount = 4;  // Overlay, Message settings, Fetch settings, Receiver
constexpr int kOpacitySliderMin = 10, kOpacitySliderMax = 85;
constexpr int kLineWidthSliderMin = 1, kLineWidthSliderMax = 6;
constexpr int kFetchGapSpinMin = 750, kFetchGapSpinMax = 60000;
constexpr int kDefaultIntervalMin = 60;
// The B2 letters the dialog offers, in order; Z is never offered.
constexpr const char* kOfferedB2Letters = "ABCDEFGJKL";

// Notebook page for a requested start page: 0..2, below 0 gives 0.
int SettingsStartPage(int requested);

// Opacity slider position for an OverlayAlpha: alpha x 100 rounded, 10..85.
int OpacitySliderPosition(double overlay_alpha);
// Line-width slider position for an OverlayLineWidth: rounded, 1..6.
int LineWidthSliderPosition(double overlay_line_width);

// The interval choice: the fixed items, plus the current value appended
// when it is none of them; selected is the index of the current value.
struct IntervalChoice {
  std::vector<std::string> items;
  int selected = 0;
};
IntervalChoice IntervalChoiceItems(int fetch_interval_min);
// The minutes of an interval text: a whole decimal number, else 60.
int IntervalFromText(const std::string& text);

// Mask of ticked NAVAREA items: bit n - 1 for ticked item n (index n - 1).
int32_t NavareaMaskFromTicks(const std::vector<bool>& ticked);
// Manual mode needs at least one ticked NAVAREA; automatic mode never refuses.
bool NavareaSelectionMissing(bool manual_mode, int32_t ticked_mask);

}  // namespace orvane
