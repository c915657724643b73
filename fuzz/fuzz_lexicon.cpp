// The keyword lexicon loader on arbitrary files: no exception escapes, the
// rules it keeps hold upper-cased valid UTF-8 keywords, and a refused file
// leaves the classifier as it was without a lexicon.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/text.h"
#include "fuzz_check.h"
#include "fuzz_files.h"
#include "parse/lexicon.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchDir() + "/keywords.json";
  static const bool env = (setenv("ORVANE_LEXICON_PATH", path.c_str(), 1), true);
  (void)env;
  fuzz::WriteInput(path, data, size);

  LexiconFile f;
  try {
    f = LoadLexiconFile(path);
  } catch (...) {
    FUZZ_CHECK(!"LoadLexiconFile threw");
  }
  FUZZ_CHECK(f.ok == !f.rules.empty());
  FUZZ_CHECK(f.ok || !f.reason.empty());
  for (const LexiconRule& r : f.rules) {
    FUZZ_CHECK(!r.keywords.empty());
    FUZZ_CHECK(static_cast<int>(r.type) >= 0 && static_cast<int>(r.type) < kMsgTypeCount);
    for (const std::string& k : r.keywords) {
      FUZZ_CHECK(!k.empty() && IsValidUtf8(k));
      FUZZ_CHECK(k == UpperAscii(k));
    }
  }
  const LexiconFile again = LoadLexiconFile(path);
  FUZZ_CHECK(again.ok == f.ok && again.rules.size() == f.rules.size());

  // The process-wide lexicon takes the file only when the loader does.
  ResetLexicon();
  FUZZ_CHECK(LexiconLoaded() == f.ok);
  if (!f.ok) {
    FUZZ_CHECK(LexiconClassify("GUNNERY EXERCISE CABLE OPERATIONS WRECK") == OTHER);
  } else {
    const MsgType t = LexiconClassify(f.rules.front().keywords.front());
    FUZZ_CHECK(static_cast<int>(t) >= 0 && static_cast<int>(t) < kMsgTypeCount);
  }
  return 0;
}
