// Bulletin splitting and message parsing on arbitrary bytes: no crash, and
// what comes out holds the model's promises.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "fuzz_check.h"
#include "parse/bulletin.h"

using namespace orvane;

namespace {

bool SameMessages(const std::vector<MsiMessage>& a, const std::vector<MsiMessage>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const MsiMessage &x = a[i], &y = b[i];
    if (x.id != y.id || x.raw_text != y.raw_text || x.title != y.title || x.type != y.type ||
        x.number != y.number || x.active != y.active || x.geoms.size() != y.geoms.size())
      return false;
    for (size_t g = 0; g < x.geoms.size(); ++g)
      if (x.geoms[g].points != y.geoms[g].points || x.geoms[g].radius_nm != y.geoms[g].radius_nm) return false;
  }
  return true;
}

void CheckMessage(const MsiMessage& m, bool input_utf8) {
  FUZZ_CHECK(m.title.size() <= kTitleMaxBytes);
  if (input_utf8) {
    FUZZ_CHECK(IsValidUtf8(m.title));
    FUZZ_CHECK(IsValidUtf8(m.raw_text));
  }
  FUZZ_CHECK(m.cancel_target.size() <= 24);
  for (const MsiGeom& g : m.geoms) {
    FUZZ_CHECK(std::isfinite(g.radius_nm) && g.radius_nm >= 0 && g.radius_nm <= 500);
    for (const LatLon& p : g.points) {
      FUZZ_CHECK(std::isfinite(p.first) && std::isfinite(p.second));
      FUZZ_CHECK(p.first >= -90 && p.first <= 90 && p.second >= -180 && p.second <= 180);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool utf8 = IsValidUtf8(text);
  const std::vector<MsiMessage> first = ParseBulletin(text);
  for (const MsiMessage& m : first) CheckMessage(m, utf8);
  FUZZ_CHECK(SameMessages(first, ParseBulletin(text)));  // deterministic

  size_t total = 0;
  for (const FeedSection& s : SplitSections(text)) {
    FUZZ_CHECK(!s.text.empty());
    FUZZ_CHECK(s.kind == SECTION_NAVAREA || s.navarea == 0);
    total += s.text.size();
    for (const MsiMessage& m : ParseBulletin(s.text)) CheckMessage(m, utf8);
  }
  FUZZ_CHECK(total <= text.size());
  return 0;
}
