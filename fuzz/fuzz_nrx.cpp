// The receiver's reassembler on arbitrary lines: no crash, never beyond its
// bounds, every frame it gives out a ZCZC ... NNNN text, the same output for
// the same input.
#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "fuzz_check.h"
#include "receiver/nrx.h"

using namespace orvane;

namespace {

// Lines fed a second apart; the first byte of a line, when it is 0x01,
// moves the clock three minutes on so that the time-out is exercised.
std::vector<ReceivedFrame> Run(const std::string& text, NrxCounters* counters) {
  NrxReassembler r;
  std::vector<ReceivedFrame> out;
  int64_t now = 0;
  size_t b = 0;
  while (b < text.size()) {
    size_t e = text.find('\n', b);
    if (e == std::string::npos) e = text.size();
    now += (e > b && text[b] == '\x01') ? 180000 : 1000;
    r.Feed(std::string_view(text).substr(b, e - b), now, &out);
    FUZZ_CHECK(r.assembling() <= NrxReassembler::kMaxAssembling + 1);
    b = e + 1;
  }
  r.Finish();
  FUZZ_CHECK(r.assembling() == 0);
  *counters = r.counters();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  NrxCounters c1, c2;
  const std::vector<ReceivedFrame> a = Run(text, &c1);
  for (const ReceivedFrame& f : a) {
    FUZZ_CHECK(StartsWith(f.text, "ZCZC "));
    FUZZ_CHECK(f.text.size() >= 9 && f.text.compare(f.text.size() - 4, 4, "NNNN") == 0);
    FUZZ_CHECK(f.text.find("NNNN") == f.text.size() - 4);     // one frame, one end
    FUZZ_CHECK(f.text.find("ZCZC", 1) == std::string::npos);  // and one start
    FUZZ_CHECK(f.text.size() <= NrxReassembler::kMaxMessageBytes + 16);
  }
  FUZZ_CHECK(c1.frames == static_cast<int64_t>(a.size()));
  const std::vector<ReceivedFrame> b = Run(text, &c2);  // deterministic
  FUZZ_CHECK(a.size() == b.size());
  for (size_t i = 0; i < a.size(); ++i) FUZZ_CHECK(a[i].text == b[i].text && a[i].code == b[i].code);
  FUZZ_CHECK(c1.incomplete == c2.incomplete && c1.bad_checksum == c2.bad_checksum && c1.overflow == c2.overflow);
  return 0;
}
