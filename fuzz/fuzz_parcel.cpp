// Parcels from someone else on arbitrary bytes, read as text, as a .json
// file and as a .zip file: no exception escapes, what is taken holds valid
// UTF-8 texts and on-globe coordinates, a refused parcel gives no messages
// and a reason, and a parcel written from what was read reads back to the
// same bytes.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/text.h"
#include "exchange/parcel.h"
#include "exchange/parcel_files.h"
#include "fuzz_check.h"
#include "fuzz_files.h"

using namespace orvane;

namespace {

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || c == '?'; }

void CheckRead(const std::string& text) {
  std::vector<MsiMessage> messages;
  ParcelMeta meta;
  std::string error;
  bool ok = false;
  try {
    ok = ReadParcelJson(text, &messages, &meta, &error);
  } catch (...) {
    FUZZ_CHECK(!"ReadParcelJson threw");
  }
  if (!ok) {
    FUZZ_CHECK(messages.empty());
    FUZZ_CHECK(!error.empty());
    return;
  }
  for (const std::string* s : {&meta.route_id, &meta.route_name, &meta.note, &meta.created})
    FUZZ_CHECK(IsValidUtf8(*s));
  for (const MsiMessage& m : messages) {
    for (const std::string* s : {&m.id, &m.title, &m.station_id, &m.cancel_target, &m.expires, &m.raw_text})
      FUZZ_CHECK(IsValidUtf8(*s));
    FUZZ_CHECK(Letter(m.b1) && Letter(m.b2));
    for (const MsiGeom& g : m.geoms) {
      FUZZ_CHECK(std::isfinite(g.radius_nm) && g.radius_nm >= 0 && g.radius_nm <= 500);
      for (const LatLon& p : g.points) {
        FUZZ_CHECK(std::isfinite(p.first) && std::isfinite(p.second));
        FUZZ_CHECK(std::fabs(p.first) <= 90 && std::fabs(p.second) <= 180);
      }
    }
  }
  // Written again, read again, written again: the same bytes.
  const std::string once = WriteParcelJson(messages, meta);
  std::vector<MsiMessage> back;
  ParcelMeta back_meta;
  FUZZ_CHECK(ReadParcelJson(once, &back, &back_meta, &error));
  FUZZ_CHECK(back.size() == messages.size());
  FUZZ_CHECK(WriteParcelJson(back, back_meta) == once);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ManualClock clock;  // a parcel without a creation time gets "now"
  static const bool installed = (SetClock(&clock), true);
  (void)installed;
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckRead(input);

  static const std::string json_path = fuzz::ScratchDir() + "/in.json";
  static const std::string zip_path = fuzz::ScratchDir() + "/in.ZIP";
  fuzz::WriteInput(json_path, data, size);
  fuzz::WriteInput(zip_path, data, size);
  std::string text, error;
  const bool json_ok = LoadParcelText(json_path, &text, &error);
  FUZZ_CHECK(json_ok == !input.empty());
  if (json_ok) FUZZ_CHECK(text == input);
  else FUZZ_CHECK(!error.empty());

  text.clear();
  error.clear();
  if (LoadParcelText(zip_path, &text, &error)) {
    FUZZ_CHECK(!text.empty() && text.size() <= kParcelMaxBytes);
    CheckRead(text);
  } else {
    FUZZ_CHECK(!error.empty());
  }
  return 0;
}
