// Which messages the chart shows, what the mouse touches, and the hover line.
#include "orvane_pi/orvane_pi.h"

using namespace orvane;

bool orvane_pi::IsVisible(const MsiMessage& m) { return m.active && !m.geoms.empty(); }

size_t orvane_pi::CountVisible() {
  size_t n = 0;
  for (const MsiMessage& m : store_)
    if (IsVisible(m)) ++n;
  return n;
}

bool orvane_pi::InRouteCorridor(const MsiMessage&) { return true; }

std::vector<int> orvane_pi::RouteNavareas() { return {}; }

int orvane_pi::HitTest(double, double) { return -1; }

void orvane_pi::HighlightMessage(int index) {
  if (index < 0 || static_cast<size_t>(index) >= store_.size()) return;
  highlighted_ = index;
}

