// Page reduction and the next-link search stay linear: the input, repeated
// 1, 2, 4 and 8 times, is reduced and searched, and the bytes the searches
// looked at stay within a fixed multiple of the page each time. A search
// that restarts at the page's start, or erases the page's tail, per hit
// breaks this on the repeated inputs long before it shows as a slow run.
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fetch/html_text.h"
#include "fuzz_check.h"

using namespace orvane;

namespace {
constexpr const char* kBase = "https://portal.example.org/navarea/3/messages/";
// Each byte is looked at by a bounded number of passes (five elements,
// seven entities, the line split) and windows (rel= 400 bytes, "sonraki"
// 125 bytes, per hit of 4 and 7 bytes).
constexpr size_t kScansPerByte = 200;
constexpr size_t kMaxUnit = 64 * 1024;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxUnit) size = kMaxUnit;
  const std::string unit = MakeValidUtf8(std::string(reinterpret_cast<const char*>(data), size));
  std::string page;
  for (int k = 1; k <= 8; k *= 2) {
    while (page.size() < unit.size() * static_cast<size_t>(k)) page += unit;
    ResetHtmlScannedBytes();
    const std::string text = HtmlToText(page);
    const size_t reduce = HtmlScannedBytes();
    FUZZ_CHECK(reduce <= kScansPerByte * page.size() + 64);
    ResetHtmlScannedBytes();
    const std::string next = FindNextPageUrl(page, kBase);
    const size_t search = HtmlScannedBytes();
    FUZZ_CHECK(search <= kScansPerByte * page.size() + 64);
    FUZZ_CHECK(IsValidUtf8(text));
    FUZZ_CHECK(next.empty() || next.rfind("https://portal.example.org/", 0) == 0);
  }
  return 0;
}
