#include "parse/classify.h"

#include <unordered_map>
#include <vector>

#include "parse/keyword_matcher.h"
#include "parse/lexicon.h"

namespace orvane {
namespace {

struct KeywordRule {
  MsgType type;
  std::vector<const char*> keywords;
};

// Tried in this order; the order is the tie-break between categories.
// Keywords are whole words: one that starts or ends with a letter does not
// count inside a longer word, so plurals and compounds ("BUOYS",
// "LIGHTBUOY") are keywords of their own. A blank also matches a line
// break. '#' stands for any digit. The Turkish names are drilling ships
// and platforms of the Black Sea and the eastern Mediterranean.
//
// Plain "LIGHT" is not an aids keyword: weather texts say "LIGHT AND
// VARIABLE" and "SLIGHT RAIN". A light followed by its position or its
// characteristic, an unlit light, a lighthouse or a light vessel is one.
const std::vector<KeywordRule>& BuiltInRules() {
  static const std::vector<KeywordRule> rules = {
      {DRILLING, {"DRILLING", "DRILL OPERATIONS", "PRODUCTION PLATFORM", "WELL HEAD", "WELLHEAD", "WELLHEADS", "MODU",
                  "SONDAJ", "PERFORACION", "PERFORACI\xC3\x93N", "PLATAFORMA DE PRODUCCION", " YILDIRIM",
                  "FATIH PLATFORM", "YAVUZ RIG", "KANUNI", "ABDULHAMID", "DRILL RIG", "RIGLIST"}},
      {RESTRICT, {"EXCLUSION ZONE", "PROHIBITED AREA", "RESTRICTED AREA", "CLOSED AREA", "KEEP OUT",
                  "NAVIGATION EXCLUSION"}},
      {SAR_OPS, {"MAN OVERBOARD", " PERSON IN WATER", "MISSING PERSON", "MISSING VESSEL", "DIVERS SEARCH",
                 "DIVER SEARCH", "UNDERWATER SEARCH", "BODY SEARCH", "SEARCH AND RESCUE", "SAR ", "DISTRESS", "DROWN",
                 "DROWNED", "DROWNING", " MOB ", "MOB,", "KURTARMA", "DENIZE DUSTU",
                 "DEN\xC4\xB0ZE D\xC3\x9C\xC5\x9ET\xC3\x9C", "KAYIP ADAM", "SU ALTI ARAMA", "DALIS ARAMA",
                 "DALI\xC5\x9E ARAMA", "SOCORRO", "BUSQUEDA Y RESCATE", "B\xC3\x9ASQUEDA Y RESCATE", "HOMBRE AL AGUA",
                 "PERSONA EN EL AGUA", "BUSQUEDA DE BUCEO"}},
      {PIRACY, {"PIRACY", "ARMED ROBBERY", "PIRATERIA", "PIRATER\xC3\x8D" "A", "ACTS OF PIRACY"}},
      {MILITARY, {"SHOOTING EXERCISE", "SHOOTING EXERCISES", "GUNNERY", "LIVE FIRE", "FIRING PRACTICE",
                  "MILITARY EXERCISE", "MILITARY EXERCISES", "NAVAL EXERCISE", "NAVAL EXERCISES", "SHIPS EXERCISES",
                  "TATBIKAT", "EJERCICIO NAVAL", "EJERCICIO DE TIRO", "LIVE-FIRE", "WEAPONS FIRING",
                  "MISSILE FIRING", "MISSILE FIRINGS"}},
      {MINE, {"MINEFIELD", "MINEFIELDS", "MINELAY", "MINELAYING", "UNEXPLODED ORDNANCE", "UXO", " EOD", "MAYIN",
              "CAMPO DE MINAS", "MINA FLOTANTE"}},
      {WRECK, {"WRECK", "WRECKS", "WRECKED", "SUNKEN", "SUNK VESSEL", "VESSEL SUNK", "SUNK ", "SANK", "WRECKAGE",
               "BATIK", "ENKAZ", "NAUFRAGIO"}},
      {DRIFT, {"DERELICT", "ADRIFT", "FLOATING HAZARD", "FLOATING OBJECT", "FLOATING CONTAINER", "DRIFTING"}},
      {CABLE, {"SUBMARINE CABLE", "SUBMARINE CABLES", "PIPELINE", "PIPELINES", "CABLE LAY", "CABLE LAYING",
               "CABLE REPAIR", "CABLE REPAIRS", "CABLE OPERATIONS", "CABLESHIP", "KABLO", "OLEODUCTO",
               "CABLE SUBMARINO", "UNDERWATER OPERATIONS", "BOTTOM MOORINGS"}},
      {AIDS, {"LIGHT UNLIT", "LIGHTS UNLIT", "UNLIT", "LIGHTHOUSE", "LIGHT VESSEL", "LIGHT BUOY", "LIGHT #",
              "LIGHT, #", "LIGHT, FL", "LIGHT FL", "LIGHT OC", "LIGHT ISO", "LIGHT Q", "LIGHT VQ", "LIGHT LFL",
              "RANGE LIGHT", "BUOY", "BUOYS", "LIGHTBUOY", "LIGHTBUOYS", "SPARBUOY", "BUOYAGE", "RACON", "RACONS",
              "AIS OFF", "BEACON", "BEACONS", "FOG SIGNAL", "ATON", "NAVAIDS", "SCIENTIFIC MOORINGS", "FENER SONMUS",
              "BALIZA", "BOYA"}},
      {SPACE, {"SPACE DEBRIS", "SPACE MISSION", "ROCKET LAUNCH", "ROCKET LAUNCHING", "MISSILE RANGE",
               "MISSILE OPERATIONS", "SATELLITE DEBRIS"}},
      {WEATHER, {"GALE", "GALES", "STORM", "STORMS", "METEOROLOGICAL", "FOG WARNING", "ICE WARNING", "ICEBERG",
                 "ICEBERGS", "HURRICANE", "TYPHOON", "CYCLONE", "FIRTINA", "TEMPORAL", "AVISO METEOROLOGICO",
                 "NIEBLA", "HIELO"}},
  };
  return rules;
}

// Words that mean live firing: they overrule the restricted-area rule.
const std::vector<const char*> kFiringWords = {"GUNNERY", "LIVE FIRE", "FIRING", "SHOOTING", "TATBIKAT", "WEAPONS"};
// Texts that say MINE without meaning a sea mine.
const std::vector<const char*> kMineExclusions = {"DETERMINE",  "UNDETERMINED", "DETERMINATION", "COAL MINE",
                                                  "MINE TYPE", "GOLD MINE",    "DATA MINE"};
// Words of the fallbacks.
const std::vector<const char*> kFallbackWords = {"RIG",   "BERTH", "DRILL", "PLATFORM", "EXERCISE",
                                                 "SHOOT", "FIRE",  "NAVAL", "MINE"};

// "LIGHT #" stands for "LIGHT 0" to "LIGHT 9".
std::vector<std::string> ExpandDigits(const std::string& k) {
  const size_t hash = k.find('#');
  if (hash == std::string::npos) return {k};
  std::vector<std::string> out;
  for (char d = '0'; d <= '9'; ++d)
    for (std::string& rest : ExpandDigits(k.substr(hash + 1))) out.push_back(k.substr(0, hash) + d + rest);
  return out;
}

// Every word the classifier looks for, in one automaton, so that one pass
// over the text answers all rules.
struct CompiledRules {
  KeywordMatcher matcher;
  std::vector<std::vector<int>> rule_keywords;  // per rule, matcher indices in keyword order
  std::vector<int> firing, mine_exclusions;
  // Rule keywords are whole words; the words of the exceptions and
  // fallbacks are found anywhere ("FIRINGS", "SHOOTING", "MINES").
  std::unordered_map<std::string, int> index;  // "W" or "S", then the word

  int Intern(const std::string& k, bool whole, std::vector<std::string>* all, std::vector<bool>* flags) {
    auto [it, added] = index.emplace((whole ? "W" : "S") + k, static_cast<int>(all->size()));
    if (added) {
      all->push_back(k);
      flags->push_back(whole);
    }
    return it->second;
  }
  int At(const char* k) const { return index.at(std::string("S") + k); }

  CompiledRules() {
    std::vector<std::string> all;
    std::vector<bool> flags;
    for (const KeywordRule& r : BuiltInRules()) {
      std::vector<int> ids;
      for (const char* k : r.keywords)
        for (const std::string& w : ExpandDigits(k)) ids.push_back(Intern(w, true, &all, &flags));
      rule_keywords.push_back(std::move(ids));
    }
    for (const char* k : kFiringWords) firing.push_back(Intern(k, false, &all, &flags));
    for (const char* k : kMineExclusions) mine_exclusions.push_back(Intern(k, false, &all, &flags));
    for (const char* k : kFallbackWords) Intern(k, false, &all, &flags);
    matcher = KeywordMatcher(all, flags);
  }
};

const CompiledRules& Compiled() {
  static const CompiledRules compiled;
  return compiled;
}

bool Any(const std::vector<bool>& found, const std::vector<int>& ids) {
  for (int i : ids)
    if (found[i]) return true;
  return false;
}

}  // namespace

MsgType ClassifyBuiltIn(const std::string& upper) {
  const CompiledRules& c = Compiled();
  const std::vector<bool> found = c.matcher.Scan(upper);
  const std::vector<KeywordRule>& rules = BuiltInRules();
  for (size_t r = 0; r < rules.size(); ++r) {
    if (!Any(found, c.rule_keywords[r])) continue;
    // A firing range inside a restricted area is a military warning.
    if (rules[r].type == RESTRICT && Any(found, c.firing)) continue;
    return rules[r].type;
  }
  auto has = [&](const char* k) { return static_cast<bool>(found[c.At(k)]); };
  if ((has("RIG") && (has("BERTH") || has("DRILL"))) || (has("PLATFORM") && has("BERTH"))) return DRILLING;
  if (has("EXERCISE") && (has("SHOOT") || has("FIRE") || has("NAVAL"))) return MILITARY;
  if (has("MINE")) return Any(found, c.mine_exclusions) ? OTHER : MINE;
  return OTHER;
}

MsgType Classify(const std::string& upper) {
  const MsgType lexicon = LexiconClassify(upper);
  if (lexicon != OTHER) {
    const bool firing = upper.find("GUNNERY") != std::string::npos || upper.find("LIVE FIRE") != std::string::npos ||
                        upper.find("FIRING") != std::string::npos || upper.find("TATBIKAT") != std::string::npos;
    if (lexicon != RESTRICT || !firing) return lexicon;
  }
  return ClassifyBuiltIn(upper);
}

}  // namespace orvane
