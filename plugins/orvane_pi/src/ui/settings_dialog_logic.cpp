#include "ui/settings_dialog_logic.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/text.h"

namespace orvane {
namespace {

constexpr int kIntervalItems[] = {15, 30, 60, 120, 180, 360, 720};

int RoundedPosition(double v, int lo, int hi) {
  if (!std::isfinite(v)) return lo;
  const double r = std::floor(v + 0.5);
  if (r < lo) return lo;
  if (r > hi) return hi;
  return static_cast<int>(r);
}

}  // namespace

int SettingsStartPage(int requested) { return std::clamp(requested, 0, kSettingsPageCount - 1); }

int OpacitySliderPosition(double overlay_alpha) {
  return RoundedPosition(overlay_alpha * 100.0, kOpacitySliderMin, kOpacitySliderMax);
}

int LineWidthSliderPosition(double overlay_line_width) {
  return RoundedPosition(overlay_line_width, kLineWidthSliderMin, kLineWidthSliderMax);
}

IntervalChoice IntervalChoiceItems(int fetch_interval_min) {
  IntervalChoice c;
  c.selected = -1;
  for (int v : kIntervalItems) {
    if (v == fetch_interval_min) c.selected = static_cast<int>(c.items.size());
    c.items.push_back(std::to_string(v));
  }
  if (c.selected < 0) {
    c.selected = static_cast<int>(c.items.size());
    c.items.push_back(std::to_string(fetch_interval_min));
  }
  return c;
}

int IntervalFromText(const std::string& text) {
  const std::string t = Trim(text);
  int v = 0;
  const char* end = t.data() + t.size();
  const auto r = std::from_chars(t.data(), end, v);
  if (t.empty() || r.ec != std::errc() || r.ptr != end) return kDefaultIntervalMin;
  return v;
}

int32_t NavareaMaskFromTicks(const std::vector<bool>& ticked) {
  int32_t mask = 0;
  for (size_t i = 0; i < ticked.size() && i < 21; ++i)
    if (ticked[i]) mask |= int32_t{1} << i;
  return mask;
}

bool NavareaSelectionMissing(bool manual_mode, int32_t ticked_mask) { return manual_mode && ticked_mask == 0; }

}  // namespace orvane
