// Page reduction and next-page discovery on arbitrary bytes: what the
// reduced text hands on is valid UTF-8 in one-line-feed form, a next link
// never leaves the portal's origin, and both are deterministic.
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fetch/html_text.h"
#include "fuzz_check.h"

using namespace orvane;

namespace {
constexpr const char* kBase = "https://portal.example.org/navarea/3/messages/";
constexpr const char* kOrigin = "https://portal.example.org/";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Bodies reach the reducer already decoded to UTF-8.
  const std::string page = MakeValidUtf8(std::string(reinterpret_cast<const char*>(data), size));
  const std::string text = HtmlToText(page);
  FUZZ_CHECK(IsValidUtf8(text));
  FUZZ_CHECK(text.find('\r') == std::string::npos);
  FUZZ_CHECK(text.empty() || text.back() != '\n');
  FUZZ_CHECK(text == HtmlToText(page));  // deterministic

  const std::string next = FindNextPageUrl(page, kBase);
  FUZZ_CHECK(next == FindNextPageUrl(page, kBase));
  if (!next.empty()) {
    FUZZ_CHECK(IsValidUtf8(next));
    FUZZ_CHECK(next.rfind(kOrigin, 0) == 0);
    FUZZ_CHECK(next.find_first_of("\r\n") == std::string::npos);
  }
  return 0;
}
