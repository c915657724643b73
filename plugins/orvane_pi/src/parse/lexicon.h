// The optional keyword lexicon file (keywords.json): further keyword rules
// per category that the classifier asks before its built-in ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// Bounds of a keywords.json: a larger file, or one with more keywords
// (counted over all its rules, a rule listed twice counting twice), is
// refused and the built-in rules are used.
constexpr uint64_t kLexiconMaxBytes = 1 << 20;
constexpr size_t kLexiconMaxKeywords = 10000;

struct LexiconRule {
  MsgType type = OTHER;
  std::vector<std::string> keywords;  // upper-cased, never empty
};

struct LexiconFile {
  bool ok = false;
  std::string reason;  // why the file was not taken, when !ok
  std::vector<LexiconRule> rules;
};

// Reads one keywords.json; never throws.
LexiconFile LoadLexiconFile(const std::string& path);

// The places a lexicon is looked for, in order: $ORVANE_LEXICON_PATH, then
// keywords.json under the plug-in's data folder.
std::vector<std::string> LexiconCandidates();

// The lexicon's category for an upper-cased text; OTHER when there is no
// lexicon or nothing matches. The first call reads the lexicon; later calls
// never read the file again.
MsgType LexiconClassify(const std::string& upper);

// True when a lexicon was loaded (reading it first if not yet tried).
bool LexiconLoaded();

// Forgets the lexicon, so that the next classification looks for the file
// again. For tests that install lexicon files of their own.
void ResetLexicon();

}  // namespace orvane
