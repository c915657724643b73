// The user settings: every key of orvane_pi.ini with its type, default and
// the limit applied when it is read, the load and save routines over a
// key-value file, the mask rules, and the fetch switches the fetch thread
// reads while the user-interface thread changes them. No toolkit here: the
// plug-in hands in the real file (wxFileConfig) through SettingsFile.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "overlay/taxonomy.h"
#include "parse/msi_model.h"

namespace orvane {

struct SettingsLoadNotes;

// Limits, shared by the load and the setters. Each takes the raw value and
// returns it in range; the notes pointer is filled by the load only.
double LimitCorridorNm(double nm, SettingsLoadNotes* notes = nullptr);  // <= 0 or NaN: 50
int32_t LimitFetchIntervalMin(int64_t min, SettingsLoadNotes* notes = nullptr);  // 5..1440
int32_t LimitFetchGapMs(int64_t ms, SettingsLoadNotes* notes = nullptr);         // 750..60000
int32_t LimitNavareaMask(int64_t mask, SettingsLoadNotes* notes = nullptr);      // low 21 bits
double LimitOverlayAlpha(double a, SettingsLoadNotes* notes = nullptr);          // 0.1..0.85
double LimitOverlayLineWidth(double w, SettingsLoadNotes* notes = nullptr);      // 1..6
int32_t LimitUiTheme(int64_t theme, SettingsLoadNotes* notes = nullptr);         // outside 0..2: 0
int32_t LimitReceiverSource(int64_t source, SettingsLoadNotes* notes = nullptr);  // outside 0..5: 0 (off)
int32_t LimitReceiverBaud(int64_t baud, SettingsLoadNotes* notes = nullptr);      // an offered rate, else 4800
double LimitGarbledPercent(double p, SettingsLoadNotes* notes = nullptr);         // 0..100, NaN: 4
// Load-only rules.
int32_t LoadNavareaMask(int64_t mask, SettingsLoadNotes* notes);  // low 21 bits, 0 selects all
int32_t LoadTypeMask(int64_t mask, SettingsLoadNotes* notes);     // mandatory categories back on
int32_t LoadB2Mask(int64_t mask, SettingsLoadNotes* notes);       // Z off, A B D L on
template <class T>
T AsIs(T v, SettingsLoadNotes*) {
  return v;
}

constexpr int32_t kAllNavareas = 0x1FFFFF;
constexpr int32_t kAllTypes = 0x1FFF;
constexpr int32_t kDefaultB2Mask = -33554433;  // 0xFDFFFFFF: every letter but Z
constexpr int32_t kAllB1Letters = 0x3FFFFFF;    // A..Z: every transmitter

// One line per key, in the order they are saved: member type, member name,
// key in the file, default, the rule applied when it is read.
#define ORVANE_SETTINGS_KEYS(X)                                                      \
  X(bool, show, "Show", true, AsIs)                                                  \
  X(bool, range_all, "RangeAll", true, AsIs)                                         \
  X(double, range_nm, "RangeNm", 1000.0, AsIs)                                       \
  X(bool, route_filter, "RouteFilter", false, AsIs)                                  \
  X(double, corridor_nm, "CorridorNm", 50.0, LimitCorridorNm)                        \
  X(int32_t, fetch_interval_min, "FetchIntervalMin", 60, LimitFetchIntervalMin)      \
  X(bool, fetch_schedule_enabled, "FetchScheduleEnabled", true, AsIs)                \
  X(bool, navarea_auto, "NavareaAuto", false, AsIs)                                  \
  X(bool, coastal_feeds_enabled, "CoastalFeedsEnabled", true, AsIs)                  \
  X(bool, include_archive, "IncludeArchive", true, AsIs)                             \
  X(bool, admiralty_html_enabled, "AdmiraltyHtmlEnabled", false, AsIs)               \
  X(bool, nga_html_enabled, "NgaHtmlEnabled", false, AsIs)                           \
  X(bool, adjacent_prefetch, "AdjacentPrefetch", false, AsIs)                        \
  X(int32_t, fetch_gap_ms, "FetchGapMs", 750, LimitFetchGapMs)                       \
  X(std::string, extra_feed_urls, "ExtraFeedUrls", std::string(), AsIs)              \
  X(int32_t, navarea_mask, "NavareaMask", kAllNavareas, LoadNavareaMask)             \
  X(double, overlay_alpha, "OverlayAlpha", 0.35, LimitOverlayAlpha)                  \
  X(double, overlay_line_width, "OverlayLineWidth", 2.0, LimitOverlayLineWidth)      \
  X(bool, pattern_fill, "PatternFill", true, AsIs)                                   \
  X(bool, show_legend, "ShowLegend", true, AsIs)                                     \
  X(int32_t, ui_theme, "UiTheme", 0, LimitUiTheme)                                   \
  X(int32_t, type_mask, "TypeMask", 0xFFFF, LoadTypeMask)                            \
  X(int32_t, b2_mask, "B2Mask", kDefaultB2Mask, LoadB2Mask)                         \
  X(int32_t, receiver_source, "ReceiverSource", 0, LimitReceiverSource)              \
  X(std::string, receiver_serial_device, "ReceiverSerialDevice", "/dev/ttyUSB0", AsIs) \
  X(int32_t, receiver_baud, "ReceiverBaud", 4800, LimitReceiverBaud)                 \
  X(std::string, receiver_tcp, "ReceiverTcp", "127.0.0.1:10110", AsIs)               \
  X(std::string, receiver_udp, "ReceiverUdp", "127.0.0.1:10110", AsIs)               \
  X(std::string, receiver_file, "ReceiverFile", std::string(), AsIs)                 \
  X(double, receiver_garbled_percent, "ReceiverGarbledPercent", 4.0, LimitGarbledPercent) \
  X(int32_t, receiver_b1_mask, "ReceiverB1Mask", kAllB1Letters, AsIs)                \
  X(int32_t, receiver_b2_mask, "ReceiverB2Mask", kDefaultB2Mask, LoadB2Mask)

struct Settings {
#define ORVANE_SETTINGS_MEMBER(type, member, key, def, rule) type member = def;
  ORVANE_SETTINGS_KEYS(ORVANE_SETTINGS_MEMBER)
#undef ORVANE_SETTINGS_MEMBER
};

// Keys outside the table.
constexpr const char* kNavareaAllMigratedKey = "NavareaAllMigrated";
constexpr const char* kColorsSchemaVersionKey = "ColorsSchemaVersion";
std::string ColorOverrideKey(MsgType t);  // "ColorOverride_DRILLING" ...
std::vector<std::string> SettingsKeys();  // the table's keys in save order

// What the load noticed.
struct SettingsLoadNotes {
  bool mandatory_types_reenabled = false;  // the F008 case
  bool navarea_migrated = false;           // the one-time migration ran on this file
  bool schema_version_written = false;
};

// The settings file as the load and save see it: flat key=value text.
class SettingsFile {
 public:
  virtual ~SettingsFile() = default;
  virtual std::optional<std::string> Read(const std::string& key) = 0;
  virtual void Write(const std::string& key, const std::string& value) = 0;
  virtual void Delete(const std::string& key) = 0;
  virtual void Flush() = 0;
};

// Reads every key (defaults for missing or unreadable ones, limits applied),
// runs the one-time NAVAREA migration, publishes the fetch switches, loads
// the colour taxonomy and the colour overrides into it.
SettingsLoadNotes LoadSettingsFrom(SettingsFile& file, Settings* s);
// Writes every key in order, the schema version and the overrides (deleting
// the keys of categories without one), then flushes. Unknown keys stay.
void SaveSettingsTo(SettingsFile& file, const Settings& s);

// Numbers in the file never depend on the user's locale.
std::string FormatSettingDouble(double v);
std::optional<double> ParseSettingDouble(const std::string& text);
std::optional<int64_t> ParseSettingInt(const std::string& text);
std::optional<bool> ParseSettingBool(const std::string& text);

// Override text: "r,g,b[,a]", at least three numbers (alpha 0.55 when only
// three); written as "%.4f,%.4f,%.4f,%.4f".
std::optional<TypeRgb> ParseOverrideText(const std::string& text);
std::string FormatOverrideText(const TypeRgb& c);

// Mask queries and changes.
bool IsMandatoryType(MsgType t);
bool IsTypeVisible(int32_t type_mask, MsgType t);
int32_t WithTypeVisible(int32_t type_mask, MsgType t, bool on);
bool IsB2Visible(int32_t b2_mask, char letter);
// Sets or clears a letter's bit (upper-cased); a mandatory letter stays set.
// False, with the mask unchanged, for a character outside A..Y.
bool WithB2Visible(int32_t* b2_mask, char letter, bool on);
std::vector<int> SelectedNavareas(int32_t navarea_mask);
// The receiver's letter selections as the user types them: "ABDL" for the
// letters set; read back, other characters are ignored and the mandatory
// subjects (A B D L) stay set.
std::string MaskLetters(int32_t mask);
int32_t B1MaskFromLetters(const std::string& letters);
int32_t B2MaskFromLetters(const std::string& letters);
// The range from one distance: below 0 means no limit (10000 NM stored),
// otherwise a limit of 5..5000 NM.
void SetRangeFromDistance(Settings* s, double d);

// The fetch switches, published by the load and the setters for the fetch
// thread to read while the user-interface thread writes them.
void PublishIncludeArchive(bool on);
bool PublishedIncludeArchive();
void PublishRequestGapMs(int32_t ms);
int32_t PublishedRequestGapMs();

// The theme palette. An empty colour means the system's own colour.
struct ThemeColour {
  bool system = true;
  uint8_t r = 0, g = 0, b = 0;
};
struct ThemePalette {
  const char* choice_text;
  ThemeColour container, text, button, entry;
};
ThemePalette ThemePaletteOf(int theme);  // a value other than 1 or 2 counts as 0
constexpr int kThemeCount = 3;

}  // namespace orvane
