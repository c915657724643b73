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
  std::vector<std::string> all(kRestrictBlockers, kRestrictBlockers + kBlockerCount);
  for (const LexiconRule& r : rules) {
    std::vector<size_t> ids;
    for (const std::string& k : r.keywords) {
      ids.push_back(all.size());
      all.push_back(k);
    }
    lex->rule_index.push_back(std::move(ids));
  }
  lex->matcher = KeywordMatcher(all);
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

void AddRule(const std::string& key, const nlohmann::json& rules, std::vector<LexiconRule>* out) {
  // Only the code names (and CABLE_PIPE, and OTHER) name a category.
  const MsgType type = ParseTypeName(key);
  if (type == OTHER && key != "OTHER") return;
  auto it = rules.find(key);
  if (it == rules.end() || !it->is_array()) return;
  LexiconRule rule;
  rule.type = type;
  for (const auto& k : *it) {
    if (!k.is_string()) continue;
    std::string word = UpperAscii(k.get<std::string>());
    if (!word.empty()) rule.keywords.push_back(std::move(word));
  }
  if (!rule.keywords.empty()) out->push_back(std::move(rule));
}

}  // namespace

LexiconFile LoadLexiconFile(const std::string& path) {
  LexiconFile f;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    f.reason = "cannot open " + path;
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
  if (!priority.empty()) {
    for (const std::string& name : priority) AddRule(name, *rules, &f.rules);
  } else {
    // nlohmann::json keeps object members sorted by key: rules come in
    // ascending byte order of their category names.
    for (auto it = rules->begin(); it != rules->end(); ++it) AddRule(it.key(), *rules, &f.rules);
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
