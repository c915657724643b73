// The fetch cache's metadata reader on arbitrary metadata files: validators
// and the stale test never crash and are deterministic, validators of a
// valid UTF-8 file are valid UTF-8, and validators the cache stored read
// back exactly.
#include <cstdint>
#include <string>

#include "common/clock.h"
#include "common/text.h"
#include "fetch/fetch_cache.h"
#include "fuzz_check.h"
#include "fuzz_files.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ManualClock clock;
  static const bool installed = (fuzz::ScratchDir(), SetClock(&clock), true);
  (void)installed;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string meta_path = CachePath("navarea_3.txt.meta.json");
  FUZZ_CHECK(!meta_path.empty());
  fuzz::WriteInput(meta_path, data, size);

  std::string etag, last_modified;
  bool have = false;
  try {
    have = ReadCacheValidators(3, &etag, &last_modified);
  } catch (...) {
    FUZZ_CHECK(!"ReadCacheValidators threw");
  }
  FUZZ_CHECK(have == (!etag.empty() || !last_modified.empty()));
  if (IsValidUtf8(input)) FUZZ_CHECK(IsValidUtf8(etag) && IsValidUtf8(last_modified));
  std::string etag2, lm2;
  ReadCacheValidators(3, &etag2, &lm2);
  FUZZ_CHECK(etag == etag2 && last_modified == lm2);
  const bool stale = IsNavareaCacheStale(3, 24);
  FUZZ_CHECK(stale == IsNavareaCacheStale(3, 24));
  FUZZ_CHECK(!IsNavareaCacheStale(3, 0));

  // The input split in two as validators a server sent: stored, they read
  // back as they were (made valid UTF-8 on the way in).
  const size_t cut = size / 2;
  const std::string want_etag = MakeValidUtf8(input.substr(0, cut));
  const std::string want_lm = MakeValidUtf8(input.substr(cut));
  FUZZ_CHECK(StoreNavareaText(3, "NAVAREA III 1/26\nTEXT\n", "http://127.0.0.1/", 200, want_etag, want_lm));
  FUZZ_CHECK(ReadCacheValidators(3, &etag, &last_modified) == (!want_etag.empty() || !want_lm.empty()));
  FUZZ_CHECK(etag == want_etag);
  FUZZ_CHECK(last_modified == want_lm);
  FUZZ_CHECK(!IsNavareaCacheStale(3, 24));  // just written on this clock
  return 0;
}
