// Settings through the real orvane_pi.ini in a temporary configuration
// root: load rules, migration, overrides, setters, unknown keys, a
// decimal-comma locale; the theme palette on a window tree and the bucket
// swatch, under the toolkit.
#include <gtest/gtest.h>
#include <filesystem>
#include <wx/strconv.h>

#include <clocale>
#include <cmath>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "common/paths.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/settings_file.h"
#include "overlay/swatch_dc.h"
#include "overlay/taxonomy.h"
#include "test_host.h"
#include "test_support.h"
#include "ui/theme.h"

extern char** environ;
extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

class CaptureLog : public wxLog {
 public:
  std::vector<std::string> lines;

 protected:
  void DoLogTextAtLevel(wxLogLevel, const wxString& msg) override { lines.push_back(msg.ToStdString()); }
};

// The value of key in the settings file as text, or "<absent>".
std::string FileValue(const std::string& key) {
  std::istringstream in(test::ReadFile(SettingsFilePath()));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "<absent>";
}

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    unsetenv("ORVANE_COLORS_PATH");
    ResetTaxonomyForTesting();
  }
  void TearDown() override { ResetTaxonomyForTesting(); }

  void WriteSettings(const std::string& text) {
    EnsureDirectory(root_.dir() + "/config/opencpn");
    std::ofstream(SettingsFilePath(), std::ios::binary) << text;
  }
  // A fresh plug-in object that has read the file, as Init does first.
  std::unique_ptr<orvane_pi> Loaded() {
    std::unique_ptr<orvane_pi> p(static_cast<orvane_pi*>(create_pi(nullptr)));
    p->LoadSettings();
    return p;
  }

  test::TempDataRoot root_;
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndTheFirstSaveCreatesIt) {
  auto p = Loaded();
  const Settings& s = p->settings();
  EXPECT_TRUE(s.show);
  EXPECT_EQ(s.range_nm, 1000.0);
  EXPECT_EQ(s.navarea_mask, 0x1FFFFF);
  EXPECT_EQ(s.type_mask, 0x1FFF);  // 65535 brought to 13 bits
  EXPECT_EQ(s.b2_mask, kDefaultB2Mask);
  // The load writes only the migration marker.
  EXPECT_EQ(FileValue("NavareaAllMigrated"), "1");
  EXPECT_EQ(FileValue("Show"), "<absent>");

  p->SaveSettings();
  EXPECT_EQ(FileValue("Show"), "1");
  EXPECT_EQ(FileValue("RangeNm"), "1000");
  EXPECT_EQ(FileValue("OverlayAlpha"), "0.35");
  EXPECT_EQ(FileValue("B2Mask"), "-33554433");
  EXPECT_EQ(FileValue("TypeMask"), "8191");
  EXPECT_EQ(FileValue("ColorsSchemaVersion"), "<absent>");  // no colour file: version 0
  EXPECT_EQ(FileValue("ColorOverride_MINE"), "<absent>");
}

// A settings file in UTF-16 (with its mark) or with a UTF-8 mark is read,
// converted to plain UTF-8 once, and stays readable after every save.
TEST_F(SettingsTest, Utf16AndMarkedFilesBecomePlainUtf8) {
  const std::string text = "UiTheme=2\nOverlayAlpha=0.5\nExtraFeedUrls=http://127.0.0.1/\xC3\xA9\n";
  auto utf16 = [&](bool le) {
    const wxString w = wxString::FromUTF8(text);
    const wxCharBuffer b = w.mb_str(le ? static_cast<const wxMBConv&>(wxMBConvUTF16LE())
                                       : static_cast<const wxMBConv&>(wxMBConvUTF16BE()));
    return std::string(le ? "\xFF\xFE" : "\xFE\xFF") + std::string(b.data(), b.length());
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"UTF-16LE", utf16(true)}, {"UTF-16BE", utf16(false)}, {"UTF-8 with its mark", "\xEF\xBB\xBF" + text}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteSettings(c.bytes);
    for (int round = 0; round < 2; ++round) {
      auto p = Loaded();
      EXPECT_EQ(p->settings().ui_theme, 2);
      EXPECT_DOUBLE_EQ(p->settings().overlay_alpha, 0.5);
      EXPECT_EQ(p->settings().extra_feed_urls, "http://127.0.0.1/\xC3\xA9");
      p->SaveSettings();
      const std::string after = test::ReadFile(SettingsFilePath());
      EXPECT_EQ(after.find('\0'), std::string::npos);
      EXPECT_NE(after.rfind("\xEF\xBB\xBF", 0), 0u);
      EXPECT_EQ(FileValue("UiTheme"), "2");
    }
  }
}

// A settings file over 1 MiB is not read: it is set aside beside the new
// one as orvane_pi.ini.bad-<time> and the defaults apply.
TEST_F(SettingsTest, AnOversizedFileIsSetAsideAndDefaultsApply) {
  std::string big;
  for (int i = 0; big.size() <= kMaxSettingsFileBytes; ++i) big += "Key" + std::to_string(i) + "=x\n";
  WriteSettings("UiTheme=2\n" + big);
  auto p = Loaded();
  EXPECT_EQ(p->settings().ui_theme, Settings().ui_theme);
  EXPECT_NE(p->status_text().find("set aside as orvane_pi.ini.bad-"), std::string::npos) << p->status_text();
  size_t aside = 0;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(SettingsFilePath()).parent_path()))
    if (e.path().filename().string().rfind("orvane_pi.ini.bad-", 0) == 0) {
      ++aside;
      EXPECT_EQ(test::ReadFile(e.path().string()), "UiTheme=2\n" + big);
    }
  EXPECT_EQ(aside, 1u);
  EXPECT_LT(test::ReadFile(SettingsFilePath()).size(), 100u);
}

TEST_F(SettingsTest, NavareaMigrationRunsOnceAndOnlyOnce) {
  WriteSettings("NavareaMask=4\n");
  {
    auto p = Loaded();
    EXPECT_EQ(p->settings().navarea_mask, 0x1FFFFF);
    EXPECT_EQ(FileValue("NavareaAllMigrated"), "1");
    p->SetNavareaMask(4);  // the user picks NAVAREA III alone
    EXPECT_EQ(FileValue("NavareaMask"), "4");
  }
  auto again = Loaded();
  EXPECT_EQ(again->settings().navarea_mask, 4);
  EXPECT_EQ(again->SelectedNavareas(), (std::vector<int>{3}));
  EXPECT_EQ(FileValue("NavareaAllMigrated"), "1");
}

TEST_F(SettingsTest, StoredValuesAreBroughtIntoRange) {
  struct Case {
    const char* line;
    std::function<bool(const Settings&)> holds;
    const char* what;
  };
  const Case cases[] = {
      {"NavareaMask=0", [](const Settings& s) { return s.navarea_mask == 0x1FFFFF; }, "mask 0 selects all"},
      {"NavareaMask=-1", [](const Settings& s) { return s.navarea_mask == 0x1FFFFF; }, "low 21 bits"},
      {"TypeMask=0", [](const Settings& s) { return s.type_mask == 8191; }, "type mask 0"},
      {"TypeMask=-1", [](const Settings& s) { return s.type_mask == 8191; }, "type mask -1"},
      {"B2Mask=0", [](const Settings& s) { return s.b2_mask == 2059; }, "A B D L only"},
      {"B2Mask=-1", [](const Settings& s) { return s.b2_mask == kDefaultB2Mask; }, "Z bit cleared"},
      {"FetchGapMs=100", [](const Settings& s) { return s.fetch_gap_ms == 750; }, "gap"},
      {"FetchGapMs=90000", [](const Settings& s) { return s.fetch_gap_ms == 60000; }, "gap high"},
      {"FetchIntervalMin=2", [](const Settings& s) { return s.fetch_interval_min == 5; }, "interval"},
      {"FetchIntervalMin=5000", [](const Settings& s) { return s.fetch_interval_min == 1440; }, "interval high"},
      {"OverlayAlpha=1", [](const Settings& s) { return s.overlay_alpha == 0.85; }, "alpha"},
      {"OverlayLineWidth=0", [](const Settings& s) { return s.overlay_line_width == 1.0; }, "line width"},
      {"UiTheme=7", [](const Settings& s) { return s.ui_theme == 0; }, "theme"},
      {"CorridorNm=-5", [](const Settings& s) { return s.corridor_nm == 50.0; }, "negative corridor"},
      {"CorridorNm=0", [](const Settings& s) { return s.corridor_nm == 50.0; }, "zero corridor"},
      {"CorridorNm=nan", [](const Settings& s) { return s.corridor_nm == 50.0; }, "NaN corridor"},
      {"CorridorNm=12.5", [](const Settings& s) { return s.corridor_nm == 12.5; }, "corridor kept"},
      {"RangeNm=abc", [](const Settings& s) { return s.range_nm == 1000.0; }, "unreadable double"},
      {"RangeNm=-20", [](const Settings& s) { return s.range_nm == -20.0; }, "range not limited"},
      {"Show=0", [](const Settings& s) { return !s.show; }, "bool"},
      {"IncludeArchive=0", [](const Settings& s) { return !s.include_archive && !PublishedIncludeArchive(); },
       "archive switch published"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteSettings(std::string(c.line) + "\nNavareaAllMigrated=1\n");
    PublishIncludeArchive(true);
    auto p = Loaded();
    EXPECT_TRUE(c.holds(p->settings())) << c.what;
  }
  WriteSettings("FetchGapMs=100\n");
  Loaded();
  EXPECT_EQ(PublishedRequestGapMs(), 750);
  WriteSettings("FetchGapMs=1500\n");
  Loaded();
  EXPECT_EQ(PublishedRequestGapMs(), 1500);
  PublishRequestGapMs(750);
  PublishIncludeArchive(true);
}

TEST_F(SettingsTest, MandatoryCategoriesComeBackAtLoadWithF008) {
  CaptureLog capture;
  wxLog* old = wxLog::SetActiveTarget(&capture);
  WriteSettings("TypeMask=1\n");
  auto p = Loaded();
  wxLog::SetActiveTarget(old);
  EXPECT_EQ(p->settings().type_mask, 6809);
  ASSERT_EQ(capture.lines.size(), 1u);
  EXPECT_NE(capture.lines[0].find("orvane_pi: F008 mandatory chart buckets re-enabled from config"), std::string::npos);
  // The corrected mask is not written back by the load.
  EXPECT_EQ(FileValue("TypeMask"), "1");

  // Switching a mandatory category off holds until the next load.
  p->SetTypeVisible(SAR_OPS, false);
  EXPECT_FALSE(p->IsTypeVisible(SAR_OPS));
  EXPECT_EQ(FileValue("TypeMask"), std::to_string(6809 & ~(1 << SAR_OPS)));
  capture.lines.clear();
  old = wxLog::SetActiveTarget(&capture);
  auto next = Loaded();
  wxLog::SetActiveTarget(old);
  EXPECT_TRUE(next->IsTypeVisible(SAR_OPS));
  EXPECT_EQ(capture.lines.size(), 1u);

  // No F008 line when nothing had to be switched on.
  WriteSettings("TypeMask=8191\n");
  capture.lines.clear();
  old = wxLog::SetActiveTarget(&capture);
  Loaded();
  wxLog::SetActiveTarget(old);
  EXPECT_TRUE(capture.lines.empty());
}

TEST_F(SettingsTest, ColourOverridesReadAndWritten) {
  WriteSettings(
      "ColorOverride_MINE=1,0,0\n"
      "ColorOverride_WRECK=1,0\n"
      "ColorOverride_AIDS=0.1,0.2,0.3,0.4\n"
      "ColorOverride_DRIFT=\n"
      "ColorOverride_SPACE=2,-1,0.5,9\n");
  auto p = Loaded();
  ASSERT_TRUE(GetOverride(MINE).has_value());
  EXPECT_EQ(*GetOverride(MINE), (TypeRgb{1, 0, 0, 0.55f}));
  EXPECT_FALSE(GetOverride(WRECK).has_value());
  EXPECT_EQ(*GetOverride(AIDS), (TypeRgb{0.1f, 0.2f, 0.3f, 0.4f}));
  EXPECT_FALSE(GetOverride(DRIFT).has_value());
  EXPECT_EQ(*GetOverride(SPACE), (TypeRgb{1, 0, 0.5f, 1}));  // clamped by the taxonomy

  p->SaveSettings();
  EXPECT_EQ(FileValue("ColorOverride_MINE"), "1.0000,0.0000,0.0000,0.5500");
  EXPECT_EQ(FileValue("ColorOverride_AIDS"), "0.1000,0.2000,0.3000,0.4000");
  EXPECT_EQ(FileValue("ColorOverride_SPACE"), "1.0000,0.0000,0.5000,1.0000");
  EXPECT_EQ(FileValue("ColorOverride_WRECK"), "<absent>");
  EXPECT_EQ(FileValue("ColorOverride_DRIFT"), "<absent>");

  // A later load starts from the file alone: overrides set in between go.
  WriteSettings("ColorOverride_OTHER=0,0,1\n");
  Loaded();
  EXPECT_FALSE(GetOverride(MINE).has_value());
  EXPECT_EQ(*GetOverride(OTHER), (TypeRgb{0, 0, 1, 0.55f}));
}

TEST_F(SettingsTest, UnknownKeysAndTextsSurviveASave) {
  WriteSettings(
      "; kept by hand\n"
      "FutureOption=keep me\n"
      "ExtraFeedUrls=https://a.example/$HOME/feed\n");
  auto p = Loaded();
  EXPECT_EQ(p->settings().extra_feed_urls, "https://a.example/$HOME/feed");
  p->SetExtraFeedUrls("https://a.example/one\nhttps://b.example/two?x=1&y=$2");
  auto again = Loaded();
  EXPECT_EQ(again->settings().extra_feed_urls, "https://a.example/one\nhttps://b.example/two?x=1&y=$2");
  EXPECT_EQ(FileValue("FutureOption"), "keep me");
  EXPECT_NE(test::ReadFile(SettingsFilePath()).find("; kept by hand"), std::string::npos);
}

TEST_F(SettingsTest, SettersLimitStoreAndSave) {
  auto p = Loaded();
  p->SetRange(-1);
  EXPECT_EQ(FileValue("RangeAll"), "1");
  EXPECT_EQ(FileValue("RangeNm"), "10000");
  p->SetRange(2);
  EXPECT_EQ(FileValue("RangeAll"), "0");
  EXPECT_EQ(FileValue("RangeNm"), "5");
  p->SetRange(9000);
  EXPECT_EQ(FileValue("RangeNm"), "5000");

  p->SetFetchIntervalMin(1);
  EXPECT_EQ(FileValue("FetchIntervalMin"), "5");
  p->SetFetchGapMs(10);
  EXPECT_EQ(FileValue("FetchGapMs"), "750");
  EXPECT_EQ(PublishedRequestGapMs(), 750);
  p->SetFetchGapMs(2500);
  EXPECT_EQ(PublishedRequestGapMs(), 2500);
  p->SetIncludeArchive(false);
  EXPECT_FALSE(PublishedIncludeArchive());
  EXPECT_EQ(FileValue("IncludeArchive"), "0");
  p->SetIncludeArchive(true);
  p->SetFetchGapMs(750);
  p->SetOverlayAlpha(0.9);
  EXPECT_EQ(FileValue("OverlayAlpha"), "0.85");
  p->SetOverlayLineWidth(7);
  EXPECT_EQ(FileValue("OverlayLineWidth"), "6");
  p->SetNavareaMask(-1);
  EXPECT_EQ(FileValue("NavareaMask"), "2097151");
  p->SetCorridorNm(-4);
  EXPECT_EQ(FileValue("CorridorNm"), "50");
  p->SetNavareaAuto(true);
  EXPECT_EQ(FileValue("NavareaAuto"), "1");
  p->SetPatternFill(false);
  EXPECT_EQ(FileValue("PatternFill"), "0");
  p->SetRouteFilter(true);
  EXPECT_EQ(FileValue("RouteFilter"), "1");

  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "theme");
  p->SetUiTheme(frame, 5);
  EXPECT_EQ(FileValue("UiTheme"), "0");
  p->SetUiTheme(frame, 1);
  EXPECT_EQ(FileValue("UiTheme"), "1");
  EXPECT_EQ(frame->GetBackgroundColour(), wxColour(32, 32, 32));
  frame->Destroy();
  // NavareaAllMigrated stays as the load left it; saves never touch it.
  EXPECT_EQ(FileValue("NavareaAllMigrated"), "1");
}

TEST_F(SettingsTest, ColourSchemaVersionIsStoredWhenItChanges) {
  const std::string colors = root_.dir() + "/colors.json";
  std::ofstream(colors) << R"({"version": 3, "buckets": {}})";
  setenv("ORVANE_COLORS_PATH", colors.c_str(), 1);
  WriteSettings("ColorsSchemaVersion=1\n");
  auto p = Loaded();
  EXPECT_EQ(FileValue("ColorsSchemaVersion"), "3");
  unsetenv("ORVANE_COLORS_PATH");
}

// Generates a German locale into a temporary folder; false when the
// machine has no locale sources to build it from.
bool MakeCommaLocale(const std::string& dir) {
  const std::string out = dir + "/de_DE.UTF-8";
  std::vector<std::string> args = {"localedef", "-i", "de_DE", "-f", "UTF-8", out};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, "localedef", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST_F(SettingsTest, NumbersDoNotFollowADecimalCommaLocale) {
  const std::string loc = root_.dir() + "/locale";
  EnsureDirectory(loc);
  if (!MakeCommaLocale(loc)) {
    unsetenv("LOCPATH");
    GTEST_SKIP() << "no decimal-comma locale could be made (localedef and the de_DE sources are needed)";
  }
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.2f", 0.35);
  EXPECT_STREQ(probe, "0,35");  // the locale is really in force

  WriteSettings("OverlayAlpha=0.35\nCorridorNm=12.5\nColorOverride_MINE=0.25,0.5,0.75\n");
  auto p = Loaded();
  EXPECT_EQ(p->settings().overlay_alpha, 0.35);
  EXPECT_EQ(p->settings().corridor_nm, 12.5);
  EXPECT_EQ(*GetOverride(MINE), (TypeRgb{0.25f, 0.5f, 0.75f, 0.55f}));
  p->SetOverlayAlpha(0.35);
  EXPECT_EQ(FileValue("OverlayAlpha"), "0.35");
  EXPECT_EQ(FileValue("CorridorNm"), "12.5");
  EXPECT_EQ(FileValue("ColorOverride_MINE"), "0.2500,0.5000,0.7500,0.5500");

  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
}

// A window tree with one control of each kind the palette tells apart.
class ThemeTest : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "theme");
    auto* panel = new wxPanel(frame_);
    auto* book = new wxNotebook(panel, wxID_ANY);
    auto* page = new wxPanel(book);
    book->AddPage(page, "page");
    const wxString items[] = {"one", "two"};
    add(new wxTextCtrl(page, wxID_ANY, "text"), Role::kEntry);
    add(new wxListCtrl(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT), Role::kEntry);
    add(new wxCheckListBox(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, items), Role::kEntry);
    add(new wxChoice(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, items), Role::kEntry);
    add(new wxSpinCtrl(page, wxID_ANY), Role::kEntry);
    add(panel, Role::kContainer);
    add(book, Role::kContainer);
    add(page, Role::kContainer);
    add(new wxStaticText(page, wxID_ANY, "label"), Role::kContainer);
    add(new wxCheckBox(page, wxID_ANY, "check"), Role::kContainer);
    add(new wxRadioBox(page, wxID_ANY, "radio", wxDefaultPosition, wxDefaultSize, 2, items), Role::kContainer);
    add(new wxSlider(page, wxID_ANY, 5, 0, 10), Role::kContainer);
    add(new wxButton(page, wxID_ANY, "button"), Role::kButton);
  }
  void TearDown() override { frame_->Destroy(); }

  enum class Role { kEntry, kContainer, kButton };
  void add(wxWindow* w, Role r) { windows_.push_back({w, r}); }

  void ExpectTheme(int theme, const wxColour& container, const wxColour& text, const wxColour& button,
                   const wxColour& entry) {
    ApplyTheme(frame_, theme);
    EXPECT_EQ(frame_->GetBackgroundColour(), container);
    EXPECT_EQ(frame_->GetForegroundColour(), text);
    for (const auto& [w, role] : windows_) {
      SCOPED_TRACE(w->GetClassInfo()->GetClassName());
      const wxColour& want = role == Role::kEntry ? entry : role == Role::kContainer ? container : button;
      EXPECT_EQ(w->GetBackgroundColour(), want);
      EXPECT_EQ(w->GetForegroundColour(), text);
    }
  }

  wxFrame* frame_ = nullptr;
  std::vector<std::pair<wxWindow*, Role>> windows_;
};

TEST_F(ThemeTest, DarkThenLightColourEveryKindOfControl) {
  ExpectTheme(1, wxColour(32, 32, 32), wxColour(255, 255, 255), wxColour(55, 55, 55), wxColour(40, 40, 40));
  wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  if (!face.IsOk()) face = wxColour(240, 240, 240);
  ExpectTheme(2, *wxWHITE, *wxBLACK, face, *wxWHITE);
}

TEST_F(ThemeTest, SystemThemeAndUnknownValues) {
  const ThemeColours sys = ThemeColoursOf(0);
  EXPECT_EQ(sys.container, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  EXPECT_EQ(sys.text, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  EXPECT_EQ(sys.button, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  ExpectTheme(9, sys.container, sys.text, sys.button, sys.entry);
}

wxImage Swatch(MsgType t, int w, int h) {
  wxBitmap bmp(w, h, 24);
  {
    wxMemoryDC dc(bmp);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    PaintBucketSwatch(dc, wxSize(w, h), t);
  }
  return bmp.ConvertToImage();
}

TEST(BucketSwatch, FillStripesAndHatch) {
  test::TempDataRoot root;
  unsetenv("ORVANE_COLORS_PATH");
  ResetTaxonomyForTesting();
  auto colour_at = [](const wxImage& img, int x, int y) {
    return wxColour(img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y));
  };
  auto count = [&](const wxImage& img, const wxColour& c) {
    int n = 0;
    for (int y = 2; y < img.GetHeight() - 2; ++y)
      for (int x = 2; x < img.GetWidth() - 2; ++x) n += colour_at(img, x, y) == c;
    return n;
  };
  // MINE: a plain fill of its colour inside a one-pixel outline.
  const wxImage mine = Swatch(MINE, 40, 16);
  EXPECT_EQ(colour_at(mine, 20, 8), wxColour(217, 13, 217));
  EXPECT_EQ(count(mine, wxColour(217, 13, 217)), 36 * 12);
  EXPECT_EQ(colour_at(mine, 0, 8), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));

  // WEATHER: stripes in the stripe colour across the fill.
  const wxImage weather = Swatch(WEATHER, 40, 16);
  EXPECT_GT(count(weather, wxColour(255, 140, 217)), 20);
  EXPECT_GT(count(weather, wxColour(255, 64, 191)), 100);

  // RESTRICT: hatch lines visible on the fill.
  const wxImage restrict_img = Swatch(RESTRICT, 40, 16);
  EXPECT_GT(count(restrict_img, wxColour(128, 0, 0)), 100);
  const int fill = count(restrict_img, wxColour(128, 0, 0));
  EXPECT_GT((36 * 12) - fill, 20) << "no hatch lines on the fill";

  // An override changes the swatch colour.
  SetOverride(MINE, {0, 1, 0, 1});
  EXPECT_EQ(colour_at(Swatch(MINE, 8, 8), 4, 4), wxColour(0, 255, 0));
  ResetTaxonomyForTesting();
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST(SettingsFileFailures, UnwritableFileKeepsTheMembersAndStaysQuiet) {
  test::TempDataRoot root;
  ResetTaxonomyForTesting();
  // A folder where the settings file should be: nothing can be written.
  EnsureDirectory(SettingsFilePath());
  CaptureLog capture;
  wxLog* old = wxLog::SetActiveTarget(&capture);
  std::unique_ptr<orvane_pi> p(static_cast<orvane_pi*>(create_pi(nullptr)));
  p->LoadSettings();
  p->SetOverlayAlpha(0.5);
  wxLog::SetActiveTarget(old);
  EXPECT_EQ(p->settings().overlay_alpha, 0.5);
  EXPECT_TRUE(capture.lines.empty());
  ResetTaxonomyForTesting();
}

}  // namespace
}  // namespace orvane
