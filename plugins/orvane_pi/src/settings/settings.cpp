#include "settings/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/text.h"
#include "fetch/fetch_control.h"

namespace orvane {
namespace {

// Categories that carry the IMO-mandatory B2 subjects; they come back on at
// every load whatever the file says.
constexpr MsgType kMandatoryTypes[] = {SAR_OPS, PIRACY, AIDS, WEATHER, RESTRICT, OTHER};
constexpr char kMandatoryB2[] = {'A', 'B', 'D', 'L'};
constexpr int kNavareaBits = 21;
constexpr int kTypeBits = 13;
constexpr float kOverrideDefaultAlpha = 0.55f;

int32_t LowBits(int64_t v, int bits) {
  return static_cast<int32_t>(static_cast<uint64_t>(v) & ((uint64_t{1} << bits) - 1));
}
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

int TypeBit(MsgType t) {
  const int v = static_cast<int>(t);
  return (v >= 0 && v < kMsgTypeCount) ? v : static_cast<int>(OTHER);
}

double ClampFinite(double v, double lo, double hi, double fallback) {
  if (!std::isfinite(v)) return fallback;
  return std::clamp(v, lo, hi);
}

// Raw values as read from the file: integers wide, so that limits apply
// before anything is cut to 32 bits.
template <class T>
struct Raw {
  using type = T;
};
template <>
struct Raw<int32_t> {
  using type = int64_t;
};

std::optional<bool> ParseAs(const std::string& t, bool*) { return ParseSettingBool(t); }
std::optional<int64_t> ParseAs(const std::string& t, int64_t*) { return ParseSettingInt(t); }
std::optional<double> ParseAs(const std::string& t, double*) { return ParseSettingDouble(t); }
std::optional<std::string> ParseAs(const std::string& t, std::string*) { return t; }

template <class T>
typename Raw<T>::type ReadKey(SettingsFile& file, const char* key, const T& def) {
  using R = typename Raw<T>::type;
  const std::optional<std::string> text = file.Read(key);
  if (text) {
    if (std::optional<R> v = ParseAs(*text, static_cast<R*>(nullptr))) return *v;
  }
  return static_cast<R>(def);
}

std::string FormatValue(bool v) { return v ? "1" : "0"; }
std::string FormatValue(int32_t v) { return std::to_string(v); }
std::string FormatValue(double v) { return FormatSettingDouble(v); }
std::string FormatValue(const std::string& v) { return v; }

bool HasAllMandatory(int32_t mask) {
  for (MsgType t : kMandatoryTypes)
    if (!IsTypeVisible(mask, t)) return false;
  return true;
}

std::atomic<int32_t> g_request_gap_ms{750};

}  // namespace

double LimitCorridorNm(double nm, SettingsLoadNotes*) {
  // A corridor of no width (or a negative one) with the route filter on
  // would hide every warning.
  return (std::isfinite(nm) && nm > 0.0) ? nm : 50.0;
}
int32_t LimitFetchIntervalMin(int64_t v, SettingsLoadNotes*) { return static_cast<int32_t>(std::clamp<int64_t>(v, 5, 1440)); }
int32_t LimitFetchGapMs(int64_t v, SettingsLoadNotes*) { return static_cast<int32_t>(std::clamp<int64_t>(v, 750, 60000)); }
int32_t LimitNavareaMask(int64_t v, SettingsLoadNotes*) { return LowBits(v, kNavareaBits); }
double LimitOverlayAlpha(double v, SettingsLoadNotes*) { return ClampFinite(v, 0.1, 0.85, 0.35); }
double LimitOverlayLineWidth(double v, SettingsLoadNotes*) { return ClampFinite(v, 1.0, 6.0, 2.0); }
int32_t LimitUiTheme(int64_t v, SettingsLoadNotes*) { return (v >= 0 && v < kThemeCount) ? static_cast<int32_t>(v) : 0; }
int32_t LimitReceiverSource(int64_t v, SettingsLoadNotes*) { return (v >= 0 && v <= 5) ? static_cast<int32_t>(v) : 0; }
int32_t LimitReceiverBaud(int64_t v, SettingsLoadNotes*) {
  for (int32_t rate : {4800, 9600, 19200, 38400, 57600, 115200})
    if (v == rate) return rate;
  return 4800;
}
double LimitGarbledPercent(double p, SettingsLoadNotes*) {
  if (std::isnan(p)) return 4.0;
  return p < 0 ? 0 : (p > 100 ? 100 : p);
}

int32_t LoadNavareaMask(int64_t v, SettingsLoadNotes*) {
  const int32_t m = LimitNavareaMask(v);
  return m == 0 ? kAllNavareas : m;
}

int32_t LoadTypeMask(int64_t v, SettingsLoadNotes* notes) {
  const int32_t stored = Low32(v);
  int32_t m = (stored == 0 || stored == -1) ? 0xFFFF : stored;
  m = LowBits(m, kTypeBits);
  if (m == 0) m = kAllTypes;
  if (!HasAllMandatory(m)) {
    for (MsgType t : kMandatoryTypes) m = WithTypeVisible(m, t, true);
    if (notes) notes->mandatory_types_reenabled = true;
  }
  return m;
}

int32_t LoadB2Mask(int64_t v, SettingsLoadNotes*) {
  uint32_t m = static_cast<uint32_t>(Low32(v));
  m &= ~(uint32_t{1} << ('Z' - 'A'));
  for (char c : kMandatoryB2) m |= uint32_t{1} << (c - 'A');
  return static_cast<int32_t>(m);
}

bool WithB2Visible(int32_t* b2_mask, char letter, bool on) {
  const char c = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
  if (c < 'A' || c > 'Y') return false;
  const uint32_t bit = uint32_t{1} << (c - 'A');
  uint32_t m = static_cast<uint32_t>(*b2_mask);
  bool mandatory = false;
  for (char k : kMandatoryB2) mandatory = mandatory || k == c;
  if (on || mandatory)
    m |= bit;
  else
    m &= ~bit;
  *b2_mask = static_cast<int32_t>(m);
  return true;
}

std::string ColorOverrideKey(MsgType t) { return std::string("ColorOverride_") + TypeName(t); }

std::vector<std::string> SettingsKeys() {
  return {
#define ORVANE_SETTINGS_KEY(type, member, key, def, rule) key,
      ORVANE_SETTINGS_KEYS(ORVANE_SETTINGS_KEY)
#undef ORVANE_SETTINGS_KEY
  };
}

SettingsLoadNotes LoadSettingsFrom(SettingsFile& file, Settings* s) {
  SettingsLoadNotes notes;
  const Settings defaults;
#define ORVANE_SETTINGS_LOAD(type, member, key, def, rule) \
  s->member = rule(ReadKey<type>(file, key, defaults.member), &notes);
  ORVANE_SETTINGS_KEYS(ORVANE_SETTINGS_LOAD)
#undef ORVANE_SETTINGS_LOAD

  // Earlier versions selected NAVAREA III alone; move such files to all
  // NAVAREAs once, so that a 4 the user picks later stays 4.
  const std::optional<std::string> migrated = file.Read(kNavareaAllMigratedKey);
  if (!(migrated && ParseSettingBool(*migrated).value_or(false))) {
    if (s->navarea_mask == 4) s->navarea_mask = kAllNavareas;
    file.Write(kNavareaAllMigratedKey, "1");
    notes.navarea_migrated = true;
  }

  PublishIncludeArchive(s->include_archive);
  PublishRequestGapMs(s->fetch_gap_ms);

  EnsureLoaded();
  ClearAllOverrides();
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const MsgType t = static_cast<MsgType>(i);
    const std::optional<std::string> text = file.Read(ColorOverrideKey(t));
    if (!text || text->empty()) continue;
    if (std::optional<TypeRgb> c = ParseOverrideText(*text)) SetOverride(t, *c);
  }

  const int v = SchemaVersion();
  const std::optional<std::string> stored_text = file.Read(kColorsSchemaVersionKey);
  const int64_t stored = stored_text ? ParseSettingInt(*stored_text).value_or(0) : 0;
  if (v > 0 && stored != v) {
    file.Write(kColorsSchemaVersionKey, std::to_string(v));
    notes.schema_version_written = true;
  }
  file.Flush();
  return notes;
}

void SaveSettingsTo(SettingsFile& file, const Settings& s) {
#define ORVANE_SETTINGS_SAVE(type, member, key, def, rule) file.Write(key, FormatValue(s.member));
  ORVANE_SETTINGS_KEYS(ORVANE_SETTINGS_SAVE)
#undef ORVANE_SETTINGS_SAVE
  const int v = SchemaVersion();
  if (v > 0) file.Write(kColorsSchemaVersionKey, std::to_string(v));
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const MsgType t = static_cast<MsgType>(i);
    if (std::optional<TypeRgb> c = GetOverride(t))
      file.Write(ColorOverrideKey(t), FormatOverrideText(*c));
    else
      file.Delete(ColorOverrideKey(t));
  }
  file.Flush();
}

std::string FormatSettingDouble(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest text that reads back equal
  return std::string(buf, r.ptr);
}

std::optional<double> ParseSettingDouble(const std::string& text) {
  std::string t = Trim(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  // A file written under a decimal-comma locale by an older version.
  if (t.find('.') == std::string::npos && std::count(t.begin(), t.end(), ',') == 1) std::replace(t.begin(), t.end(), ',', '.');
  double v = 0.0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<int64_t> ParseSettingInt(const std::string& text) {
  std::string t = Trim(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  int64_t v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
  return v;
}

std::optional<bool> ParseSettingBool(const std::string& text) {
  const std::string t = UpperAscii(Trim(text));
  if (t == "TRUE" || t == "YES" || t == "ON") return true;
  if (t == "FALSE" || t == "NO" || t == "OFF") return false;
  if (std::optional<int64_t> v = ParseSettingInt(t)) return *v != 0;
  return std::nullopt;
}

std::optional<TypeRgb> ParseOverrideText(const std::string& text) {
  // The rules of "%lf,%lf,%lf,%lf" without the locale: blanks may lead each
  // number, the commas must follow directly, reading stops at the first miss.
  double ch[4] = {0.0, 0.0, 0.0, kOverrideDefaultAlpha};
  int got = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (got < 4) {
    if (got > 0) {
      if (p == end || *p != ',') break;
      ++p;
    }
    while (p != end && IsAsciiSpace(*p)) ++p;
    bool neg = false;
    if (p != end && (*p == '+' || *p == '-')) {
      neg = *p == '-';
      ++p;
      if (p != end && (*p == '+' || *p == '-')) break;  // one sign only
    }
    double v = 0.0;
    const auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc() && r.ec != std::errc::result_out_of_range) break;
    if (r.ptr == p) break;
    p = r.ptr;
    ch[got++] = neg ? -v : v;
  }
  if (got < 3) return std::nullopt;
  return TypeRgb{static_cast<float>(ch[0]), static_cast<float>(ch[1]), static_cast<float>(ch[2]),
                 static_cast<float>(ch[3])};
}

std::string FormatOverrideText(const TypeRgb& c) {
  std::string out;
  const float ch[4] = {c.r, c.g, c.b, c.a};
  for (int i = 0; i < 4; ++i) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(ch[i]), std::chars_format::fixed, 4);
    if (i) out += ',';
    out.append(buf, r.ptr);
  }
  return out;
}

bool IsMandatoryType(MsgType t) {
  return std::find(std::begin(kMandatoryTypes), std::end(kMandatoryTypes), t) != std::end(kMandatoryTypes);
}

bool IsTypeVisible(int32_t mask, MsgType t) { return (static_cast<uint32_t>(mask) >> TypeBit(t)) & 1u; }

int32_t WithTypeVisible(int32_t mask, MsgType t, bool on) {
  const uint32_t bit = uint32_t{1} << TypeBit(t);
  const uint32_t m = static_cast<uint32_t>(mask);
  return static_cast<int32_t>(on ? (m | bit) : (m & ~bit));
}

bool IsB2Visible(int32_t mask, char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return true;  // no subject letter: never hidden
  if (letter == 'Z') return false;
  return (static_cast<uint32_t>(mask) >> (letter - 'A')) & 1u;
}

std::vector<int> SelectedNavareas(int32_t mask) {
  std::vector<int> out;
  for (int n = 1; n <= kNavareaBits; ++n)
    if ((static_cast<uint32_t>(mask) >> (n - 1)) & 1u) out.push_back(n);
  return out;
}

void SetRangeFromDistance(Settings* s, double d) {
  if (d < 0.0) {
    s->range_all = true;
    s->range_nm = 10000.0;
  } else {
    s->range_all = false;
    s->range_nm = ClampFinite(d, 5.0, 5000.0, 5000.0);
  }
}

// The archive switch is the fetch module's own; the settings set it.
void PublishIncludeArchive(bool on) { SetIncludeArchive(on); }
bool PublishedIncludeArchive() { return IncludeArchiveEnabled(); }
void PublishRequestGapMs(int32_t ms) { g_request_gap_ms.store(LimitFetchGapMs(ms), std::memory_order_relaxed); }
int32_t PublishedRequestGapMs() { return g_request_gap_ms.load(std::memory_order_relaxed); }

ThemePalette ThemePaletteOf(int theme) {
  constexpr ThemeColour kSystem{};
  static const ThemePalette kPalettes[kThemeCount] = {
      {"Theme: System", kSystem, kSystem, kSystem, kSystem},
      {"Theme: Dark", {false, 32, 32, 32}, {false, 255, 255, 255}, {false, 55, 55, 55}, {false, 40, 40, 40}},
      // Light buttons keep the system's face colour; 240 grey when it has none.
      {"Theme: Light", {false, 255, 255, 255}, {false, 0, 0, 0}, {true, 240, 240, 240}, {false, 255, 255, 255}},
  };
  return kPalettes[(theme == 1 || theme == 2) ? theme : 0];
}

std::string MaskLetters(int32_t mask) {
  std::string out;
  for (char c = 'A'; c <= 'Z'; ++c)
    if (mask & (1 << (c - 'A'))) out += c;
  return out;
}

int32_t B1MaskFromLetters(const std::string& letters) {
  int32_t mask = 0;
  for (char c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') mask |= 1 << (c - 'A');
  }
  return mask;
}

int32_t B2MaskFromLetters(const std::string& letters) {
  int32_t mask = LoadB2Mask(0, nullptr);  // the mandatory subjects
  for (char c : letters) WithB2Visible(&mask, c, true);
  return mask;
}

}  // namespace orvane
