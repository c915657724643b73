#include "parse/lexicon.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>

#include "common/paths.h"
#include "common/text.h"
#include "parse/keyword_matcher.h"

namespace orvane {
namespace {

// Words of live firing: a lexicon RESTRICT keyword does not count beside
// them, so a firing range stays a military warning.
const char* const kRestrictBlockers[] = {"GUNNERY", "LIVE FIRE", "FIRING", "TATBIKAT", "WEAPONS"};
constexpr size_t kBlockerCount = sizeof kRestrictBlockers / sizeof kRestrictBlockers[0];

struct LoadedLexicon {
  std::vector<LexiconRule> rules;
  KeywordMatcher matcher;                       // blockers first, then every rule keyword
  std::vector<std::vector<size_t>> rule_index;  // per rule, matcher indices of its keywords
};

struct LexiconState {
  std::mutex lock;
  bool attempted = false;
  std::unique_ptr<LoadedLexicon> lexicon;
};

LexiconState& State() {
  static LexiconState state;
  return state;
}

std::unique_ptr<LoadedLexicon> Compile(std::vector<LexiconRule> rules) {
  auto lex = std::make_unique<LoadedLexicon>();
  // Blockers are found anywhere ("FIRINGS"); rule keywords as whole words.
  std::vector<std::string> all(kRestrictBlockers, kRestrictBlockers + kBlockerCount);
  std::vector<bool> whole(kBlockerCount, false);
  for (const LexiconRule& r : rules) {
    std::vector<size_t> ids;
    for (const std::string& k : r.keywords) {
      ids.push_back(all.size());
      all.push_back(k);
      whole.push_back(true);
    }
    lex->rule_index.push_back(std::move(ids));
  }
  lex->matcher = KeywordMatcher(all, whole);
  lex->rules = std::move(rules);
  return lex;
}

// Loads the first candidate that gives rules. Called with the lock held.
void EnsureLoaded(LexiconState& s) {
  if (s.attempted) return;
  s.attempted = true;
  for (const std::string& path : LexiconCandidates()) {
    LexiconFile f = LoadLexiconFile(path);
    if (f.ok) {
      s.lexicon = Compile(std::move(f.rules));
      return;
    }
  }
}

// Adds the rule of one key; false when the keywords would pass the bound.
bool AddRule(const std::string& key, const nlohmann::json& rules, std::vector<LexiconRule>* out, size_t* keywords) {
  // Only the code names (and CABLE_PIPE, and OTHER) name a category.
  const MsgType type = ParseTypeName(key);
  if (type == OTHER && key != "OTHER") return true;
  auto it = rules.find(key);
  if (it == rules.end() || !it->is_array()) return true;
  LexiconRule rule;
  rule.type = type;
  for (const auto& k : *it) {
    if (!k.is_string()) continue;
    std::string word = UpperAscii(k.get<std::string>());
    if (word.empty()) continue;
    if (++*keywords > kLexiconMaxKeywords) return false;
    rule.keywords.push_back(std::move(word));
  }
  if (!rule.keywords.empty()) out->push_back(std::move(rule));
  return true;
}

}  // namespace

LexiconFile LoadLexiconFile(const std::string& path) {
  LexiconFile f;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    f.reason = "cannot open " + path;
    return f;
  }
  // A file beyond the bounds is refused before it is read: the built-in
  // rules stand in, as for any lexicon that does not load.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0 || static_cast<uint64_t>(size) > kLexiconMaxBytes) {
    f.reason = "larger than " + std::to_string(kLexiconMaxBytes) + " bytes";
    return f;
  }
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(in);
  } catch (const std::exception& e) {
    f.reason = std::string("not valid JSON: ") + e.what();
    return f;
  }
  std::vector<std::string> priority;
  if (doc.is_object()) {
    auto p = doc.find("priority");
    if (p != doc.end() && p->is_array())
      for (const auto& name : *p)
        if (name.is_string()) priority.push_back(name.get<std::string>());
  }
  if (!doc.is_object()) {
    f.reason = "the top level is not an object";
    return f;
  }
  auto rules = doc.find("rules");
  if (rules == doc.end() || !rules->is_object()) {
    f.reason = "\"rules\" is missing or not an object";
    return f;
  }
  size_t keywords = 0;
  bool within = true;
  if (!priority.empty()) {
    for (size_t i = 0; within && i < priority.size(); ++i) within = AddRule(priority[i], *rules, &f.rules, &keywords);
  } else {
    // nlohmann::json keeps object members sorted by key: rules come in
    // ascending byte order of their category names.
    for (auto it = rules->begin(); within && it != rules->end(); ++it)
      within = AddRule(it.key(), *rules, &f.rules, &keywords);
  }
  if (!within) {
    f.rules.clear();
    f.reason = "more than " + std::to_string(kLexiconMaxKeywords) + " keywords";
    return f;
  }
  if (f.rules.empty()) {
    f.reason = "no rule with a keyword";
    return f;
  }
  f.ok = true;
  return f;
}

std::vector<std::string> LexiconCandidates() {
  std::vector<std::string> c;
  const char* env = std::getenv("ORVANE_LEXICON_PATH");
  if (env && *env) c.emplace_back(env);
  c.push_back(PluginDataDir() + "/lexicon/keywords.json");
  return c;
}

MsgType LexiconClassify(const std::string& upper) {
  LexiconState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  EnsureLoaded(s);
  if (!s.lexicon) return OTHER;
  const LoadedLexicon& lex = *s.lexicon;
  const std::vector<bool> found = lex.matcher.Scan(upper);
  bool firing = false;
  for (size_t i = 0; i < kBlockerCount; ++i) firing = firing || found[i];
  for (size_t r = 0; r < lex.rules.size(); ++r) {
    if (lex.rules[r].type == RESTRICT && firing) continue;
    for (size_t id : lex.rule_index[r])
      if (found[id]) return lex.rules[r].type;
  }
  return OTHER;
}

bool LexiconLoaded() {
  LexiconState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  EnsureLoaded(s);
  return s.lexicon != nullptr;
}

void ResetLexicon() {
  LexiconState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.attempted = false;
  s.lexicon.reset();
}

}  // namespace orvane
