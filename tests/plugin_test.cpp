// The plug-in object in the test host: start-up, toolbar click bursts,
// position fixes, the refresh limit and the draw gate, on a manual clock.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

#include "common/clock.h"
#include "common/paths.h"
#include "orvane_pi/orvane_pi.h"
#include "test_host.h"
#include "test_support.h"
#include "wx_pump.h"
#include "fetch/fetch_control.h"
#include "ui/nt_dialog.h"
#include "ui/cache_ui.h"
#include "ui/settings_dialog.h"
#include "fetch/fetch_cache.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>

extern "C" opencpn_plugin_118* create_pi(void* host);
extern "C" void destroy_pi(opencpn_plugin_118* plugin);

namespace orvane {
namespace {

using testhost::Host;

class PluginTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    SetClock(&clock_);
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    Host().canvas = frame_;
    // The start-up fetch goes to a closed loopback port; its retries need not wait.
    SetFetchSleeper([](int64_t) { return true; });
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
  }
  void TearDown() override {
    if (initialised_) plugin_->DeInit();
    plugin_.reset();
    frame_->Destroy();
    SetFetchSleeper(nullptr);
    SetClock(nullptr);
  }
  // Init, then the start-up fetch's (failed) result handled, so no result
  // arrives in the middle of a test.
  void Init() {
    EXPECT_EQ(plugin_->Init(), 0x0008891F);
    initialised_ = true;
    EXPECT_TRUE(test::PumpUntil([&] { return !plugin_->fetch_busy(); }));
  }
  void Click() { plugin_->OnToolbarToolCallback(plugin_->tool_id()); }
  // What the host does when the click timer's 420 ms are up.
  void FireClickTimer() {
    wxTimer timer(frame_, kClickTimerId);
    wxTimerEvent ev(timer);
    frame_->GetEventHandler()->ProcessEvent(ev);
  }
  void Fix(double lat, double lon) {
    PlugIn_Position_Fix_Ex fix;
    fix.Lat = lat;
    fix.Lon = lon;
    plugin_->SetPositionFixEx(fix);
  }

  test::TempDataRoot root_;
  ManualClock clock_;
  wxFrame* frame_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
  bool initialised_ = false;
};

TEST_F(PluginTest, FirstStartShowsTheSampleBulletin) {
  Init();
  ASSERT_EQ(plugin_->store().size(), 4u);
  EXPECT_EQ(plugin_->store()[0].station_id, "IA01");
  // The start-up fetch failed (no portal) and kept the sample.
  const std::string kept = " \xE2\x80\x94 previous overlay KEPT (no wipe on fail)";
  EXPECT_EQ(plugin_->status_text().rfind("FAIL \xE2\x80\x94 ", 0), 0u) << plugin_->status_text();
  EXPECT_EQ(plugin_->status_text().substr(plugin_->status_text().size() - kept.size()), kept);
  EXPECT_EQ(plugin_->current_navarea(), 1);  // the first NAVAREA fetched
  EXPECT_EQ(plugin_->ship_navarea(), 3);
  EXPECT_TRUE(plugin_->show());
  EXPECT_TRUE(plugin_->range_all());
  EXPECT_EQ(plugin_->range_nm(), 10000.0);

  const std::string log = test::ReadFile(PluginLoadLogPath());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
  EXPECT_NE(log.find(" PluginLoader Loading orvane_pi; Init OK (no failed to load)\n"), std::string::npos);
  EXPECT_EQ(log.find(root_.dir()), std::string::npos);
  EXPECT_EQ(log[4], '-');
  EXPECT_EQ(log[19], ' ');

  ASSERT_EQ(Host().tools.size(), 1u);
  const auto& tool = Host().tools[0];
  EXPECT_EQ(tool.id, plugin_->tool_id());
  EXPECT_EQ(tool.short_help, "Orvane");
  EXPECT_EQ(tool.long_help, "NAVTEX / MSI warnings on chart");
  EXPECT_EQ(tool.position, -1);
  EXPECT_EQ(tool.rollover, plugin_->GetPlugInBitmap());
  ASSERT_NE(plugin_->message_window(), nullptr);
  EXPECT_FALSE(plugin_->message_window()->IsShown());
  EXPECT_EQ(plugin_->message_window()->RowCount(), 4u);
  EXPECT_EQ(plugin_->fetch_starts(), 1);
  plugin_->LoadSampleCorpus();
  EXPECT_EQ(plugin_->status_text(), "sample corpus (offline)");
  EXPECT_EQ(plugin_->message_window()->LastFetchLine(), "Last fetch: sample corpus (offline)");
}

TEST_F(PluginTest, StartUpAlwaysShowsTheOverlayWithNoRangeLimit) {
  std::filesystem::create_directories(root_.dir() + "/config/opencpn");
  std::ofstream(SettingsFilePath()) << "Show=0\nRangeAll=0\nRangeNm=40\nFetchScheduleEnabled=1\nFetchIntervalMin=30\n";
  Init();
  EXPECT_TRUE(plugin_->show());
  EXPECT_TRUE(plugin_->range_all());
  const std::string file = test::ReadFile(SettingsFilePath());
  EXPECT_NE(file.find("Show=1\n"), std::string::npos);
  EXPECT_NE(file.find("RangeAll=1\n"), std::string::npos);
  EXPECT_NE(file.find("RangeNm=10000\n"), std::string::npos);
  // The fetch schedule follows the settings.
  EXPECT_TRUE(plugin_->message_window()->FetchTimerRunning());
  EXPECT_GE(plugin_->message_window()->FetchTimerIntervalMs(), 30 * 60 * 1000);
  EXPECT_LT(plugin_->message_window()->FetchTimerIntervalMs(), 30 * 60 * 1000 + 180000);
  plugin_->SetFetchScheduleEnabled(false);
  EXPECT_FALSE(plugin_->message_window()->FetchTimerRunning());
  // DeInit saves the whole set.
  plugin_->DeInit();
  initialised_ = false;
  EXPECT_NE(test::ReadFile(SettingsFilePath()).find("FetchScheduleEnabled=0\n"), std::string::npos);
}

TEST_F(PluginTest, ALoadLogThatCannotBeWrittenDoesNotStopStartUp) {
  // A file where the log folder should be.
  std::filesystem::create_directories(root_.dir() + "/local/opencpn/plugins/orvane_pi");
  std::ofstream(root_.dir() + "/local/opencpn/plugins/orvane_pi/logs") << "x";
  Init();
  EXPECT_EQ(plugin_->store().size(), 4u);
}

TEST_F(PluginTest, SingleClicksToggleTheWindowAndTheOverlay) {
  Init();
  Click();
  EXPECT_TRUE(plugin_->click_timer_running());
  clock_.Advance(kClickBurstMs);
  FireClickTimer();
  EXPECT_TRUE(plugin_->message_window()->IsShown());
  EXPECT_TRUE(plugin_->show());
  EXPECT_TRUE(plugin_->message_window()->ShowChecked());

  clock_.Advance(1000);
  Click();
  clock_.Advance(kClickBurstMs);
  FireClickTimer();
  EXPECT_FALSE(plugin_->message_window()->IsShown());
  EXPECT_FALSE(plugin_->show());
  EXPECT_FALSE(plugin_->message_window()->ShowChecked());
  EXPECT_EQ(plugin_->settings_dialog_opens(), 0);
}

TEST_F(PluginTest, TwoClicks500MsApartAreTwoSingleClicks) {
  Init();
  Click();
  clock_.Advance(500);
  // The first burst's timer would have fired at 420 ms.
  FireClickTimer();
  EXPECT_TRUE(plugin_->message_window()->IsShown());
  Click();
  clock_.Advance(kClickBurstMs);
  FireClickTimer();
  EXPECT_FALSE(plugin_->message_window()->IsShown());
  EXPECT_EQ(plugin_->settings_dialog_opens(), 0);
}

TEST_F(PluginTest, DoubleAndTripleClicksOpenTheSettingsOnTheirPages) {
  Init();
  Click();
  clock_.Advance(300);
  Click();
  clock_.Advance(kClickBurstMs);
  wxTEST_DIALOG(FireClickTimer(), wxExpectDismissableModal<SettingsDialog>(wxID_CANCEL));
  EXPECT_EQ(plugin_->settings_dialog_opens(), 1);
  EXPECT_EQ(plugin_->settings_start_page(), 0);
  EXPECT_FALSE(plugin_->message_window()->IsShown());

  // Four clicks behave like three.
  for (int i = 0; i < 4; ++i) {
    clock_.Advance(i == 0 ? 2000 : 400);
    Click();
  }
  clock_.Advance(kClickBurstMs);
  wxTEST_DIALOG(FireClickTimer(), wxExpectDismissableModal<SettingsDialog>(wxID_CANCEL));
  EXPECT_EQ(plugin_->settings_dialog_opens(), 2);
  EXPECT_EQ(plugin_->settings_start_page(), 1);

  // The host's preferences button opens on page 1 once, then on page 0.
  wxTEST_DIALOG(plugin_->ShowPreferencesDialog(frame_), wxExpectDismissableModal<SettingsDialog>(wxID_CANCEL));
  EXPECT_EQ(plugin_->settings_dialog_opens(), 3);
  EXPECT_EQ(plugin_->settings_start_page(), 0);

  // A stray timer event of another identifier is passed on untouched.
  wxTimer stray(frame_, 1234);
  wxTimerEvent other(stray);
  frame_->GetEventHandler()->ProcessEvent(other);
  EXPECT_EQ(plugin_->settings_dialog_opens(), 3);
}

TEST_F(PluginTest, NavareaChangesAreDampedForEightSeconds) {
  Init();
  plugin_->SetNavareaAuto(true);
  const int fetches = plugin_->fetch_starts();

  Fix(41.0, 29.0);  // still NAVAREA III, the start-up NAVAREA: no fetch
  EXPECT_EQ(plugin_->fetch_starts(), fetches);

  clock_.Advance(5000);
  Fix(50.0, 0.0);  // NAVAREA I: accepted at once, one fetch
  EXPECT_EQ(plugin_->ship_navarea(), 1);
  EXPECT_EQ(plugin_->fetch_starts(), fetches + 1);

  clock_.Advance(3000);
  Fix(41.0, 29.0);  // back in III 3 s later: ignored
  EXPECT_EQ(plugin_->ship_navarea(), 1);
  EXPECT_EQ(plugin_->fetch_starts(), fetches + 1);

  clock_.Advance(6000);  // 9 s after the accepted change
  Fix(41.0, 29.0);
  EXPECT_EQ(plugin_->ship_navarea(), 3);
  EXPECT_EQ(plugin_->fetch_starts(), fetches + 2);

  // Without NavareaAuto a change is tracked but fetches nothing.
  plugin_->SetNavareaAuto(false);
  clock_.Advance(9000);
  Fix(50.0, 0.0);
  EXPECT_EQ(plugin_->ship_navarea(), 1);
  EXPECT_EQ(plugin_->fetch_starts(), fetches + 2);
}

TEST_F(PluginTest, CanvasRefreshesAreLimitedTo80Ms) {
  Init();
  clock_.Advance(1000);
  Host().refresh_requests.clear();
  plugin_->RequestCanvasRefresh();
  plugin_->RequestCanvasRefresh();
  clock_.Advance(79);
  plugin_->RequestCanvasRefresh();
  EXPECT_EQ(Host().refresh_requests.size(), 1u);
  clock_.Advance(1);
  plugin_->RequestCanvasRefresh();
  ASSERT_EQ(Host().refresh_requests.size(), 2u);
  EXPECT_EQ(Host().refresh_requests[1], frame_);
  // A clock that went back also waits.
  clock_.SetUtcMs(clock_.UtcMs() - 5000);
  plugin_->RequestCanvasRefresh();
  EXPECT_EQ(Host().refresh_requests.size(), 2u);
}

TEST_F(PluginTest, FixStatusRefreshesAreLimitedToTwoSeconds) {
  Init();
  clock_.Advance(1000);
  Fix(41.0, 29.0);
  const size_t after_first = Host().refresh_requests.size();
  clock_.Advance(500);
  Fix(41.1, 29.0);
  EXPECT_EQ(Host().refresh_requests.size(), after_first);
  clock_.Advance(2000);
  Fix(41.2, 29.0);
  EXPECT_EQ(Host().refresh_requests.size(), after_first + 1);
}

TEST_F(PluginTest, DrawGateAdmitsCanvasZeroAtPriorityZeroOrMinusOne) {
  Init();
  PlugIn_ViewPort vp;
  wxBitmap bmp(16, 16);
  wxMemoryDC dc(bmp);
  EXPECT_FALSE(plugin_->RenderOverlayMultiCanvas(dc, &vp, 1, 0));
  EXPECT_FALSE(plugin_->RenderOverlayMultiCanvas(dc, &vp, 0, 64));
  EXPECT_FALSE(plugin_->last_draw_was_gl());
  EXPECT_FALSE(plugin_->RenderGLOverlayMultiCanvas(nullptr, &vp, 1, 0));
  EXPECT_FALSE(plugin_->last_draw_was_gl());
  plugin_->RenderGLOverlayMultiCanvas(nullptr, &vp, 0, -1);
  EXPECT_TRUE(plugin_->last_draw_was_gl());
  plugin_->RenderOverlayMultiCanvas(dc, &vp, 0, 0);
  EXPECT_FALSE(plugin_->last_draw_was_gl());
}

TEST_F(PluginTest, DeInitUnbindsTheClickTimerFromAKeptCanvas) {
  Init();
  Click();
  EXPECT_TRUE(plugin_->DeInit());
  initialised_ = false;
  EXPECT_EQ(plugin_->message_window(), nullptr);
  EXPECT_FALSE(plugin_->click_timer_running());
  plugin_.reset();
  // The host keeps its canvas; a late timer event must not reach the plug-in.
  FireClickTimer();
}

TEST_F(PluginTest, WithoutACanvasClicksAreCountedButNeverActedOn) {
  Host().canvas = nullptr;
  Init();
  EXPECT_EQ(plugin_->store().size(), 4u);
  Click();
  FireClickTimer();
  EXPECT_EQ(plugin_->settings_dialog_opens(), 0);
  EXPECT_TRUE(Host().refresh_requests.empty());
}

TEST(PluginIdentity, NamesVersionsAndBitmaps) {
  std::unique_ptr<opencpn_plugin_118> p(create_pi(nullptr));
  EXPECT_EQ(p->GetAPIVersionMajor(), 1);
  EXPECT_EQ(p->GetAPIVersionMinor(), 18);
  EXPECT_EQ(p->GetPlugInVersionMajor(), 1);
  EXPECT_EQ(p->GetPlugInVersionMinor(), 0);
  EXPECT_EQ(p->GetCommonName(), "Orvane");
  EXPECT_EQ(p->GetShortDescription(), "NAVTEX/MSI chart overlay via Quorvant");
  EXPECT_TRUE(p->GetLongDescription().StartsWith("Orvane MSI chart overlay via Quorvant.\nMulti-NAVAREA"));

  wxBitmap* bmp = p->GetPlugInBitmap();
  ASSERT_NE(bmp, nullptr);
  const wxImage img = bmp->ConvertToImage();
  ASSERT_EQ(img.GetWidth(), 32);
  ASSERT_TRUE(img.HasAlpha());
  auto is = [&](int x, int y, int r, int g, int b) {
    return img.GetRed(x, y) == r && img.GetGreen(x, y) == g && img.GetBlue(x, y) == b && img.GetAlpha(x, y) == 255;
  };
  EXPECT_TRUE(is(0, 0, 40, 30, 20));
  EXPECT_TRUE(is(16, 6, 249, 115, 22));   // apex
  EXPECT_TRUE(is(15, 6, 40, 30, 20));
  EXPECT_TRUE(is(7, 25, 249, 115, 22));   // base ends
  EXPECT_TRUE(is(25, 25, 249, 115, 22));
  EXPECT_TRUE(is(6, 25, 40, 30, 20));
  EXPECT_TRUE(is(16, 26, 40, 30, 20));
  // The same bitmap for every object of the process.
  std::unique_ptr<opencpn_plugin_118> q(create_pi(nullptr));
  EXPECT_EQ(q->GetPlugInBitmap(), bmp);

  destroy_pi(nullptr);  // ignored
}

TEST_F(PluginTest, StartUpReadsTheCachedNavareaThree) {
  ASSERT_TRUE(StoreNavareaText(3, "NAVAREA III - 0139/26 BLACK SEA\nWRECK 41-20N 036-20E.\n", "u", 200, "", ""));
  EXPECT_EQ(plugin_->Init(), 0x0008891F);
  initialised_ = true;
  // Before the start-up fetch's result: the cached NAVAREA III.
  EXPECT_EQ(plugin_->ship_navarea(), 3);
  EXPECT_EQ(plugin_->store().size(), 1u);
  EXPECT_EQ(plugin_->message_window()->RowCount(), 1u);
  EXPECT_TRUE(test::PumpUntil([&] { return !plugin_->fetch_busy(); }));
  // The failed fetch fell back on the same cache: the warning is still there
  // (the fetch layer's comment lines are notes and parse as nothing).
  EXPECT_EQ(std::count_if(plugin_->store().begin(), plugin_->store().end(),
                          [](const MsiMessage& m) { return m.number == 139 && m.navarea == 3; }),
            1);
}

TEST_F(PluginTest, PurgeCacheButtonPurgesStaleFilesAndSaysSo) {
  Init();
  ASSERT_TRUE(StoreNavareaText(4, "fresh text", "u", 200, "", ""));
  std::ofstream(CachePath("navarea_5.txt")) << "no metadata: stale";
  NtDialog* dlg = plugin_->message_window();
  auto* open = wxDynamicCast(dlg->FindWindow(kOpenCacheButtonId), wxButton);
  auto* purge = wxDynamicCast(dlg->FindWindow(kPurgeCacheButtonId), wxButton);
  ASSERT_TRUE(open && purge);
  EXPECT_EQ(open->GetLabel(), "Open cache");
  EXPECT_EQ(purge->GetLabel(), "Purge cache");
  wxCommandEvent click(wxEVT_BUTTON, kPurgeCacheButtonId);
  click.SetEventObject(purge);
  wxTEST_DIALOG(purge->GetEventHandler()->ProcessEvent(click), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_EQ(plugin_->status_text(), "Purged 1 stale NAVAREA cache file(s) (>24 h)");
  EXPECT_EQ(dlg->LastFetchLine(), "Last fetch: Purged 1 stale NAVAREA cache file(s) (>24 h)");
  EXPECT_TRUE(std::filesystem::exists(CachePath("navarea_4.txt")));
  EXPECT_FALSE(std::filesystem::exists(CachePath("navarea_5.txt")));
}

TEST_F(PluginTest, ConfirmAndPurgeCacheYesPurgesEverythingNoOnlyStale) {
  Init();
  plugin_->PurgeAllCache();  // the start-up fetch's request logs
  ASSERT_TRUE(StoreNavareaText(4, "fresh text", "u", 200, "", ""));
  auto* status = new wxStaticText(frame_, wxID_ANY, "");
  auto* size = new wxStaticText(frame_, wxID_ANY, "");
  wxTEST_DIALOG(ConfirmAndPurgeCache(frame_, plugin_.get(), status, size),
                wxExpectModal<wxMessageDialog>(wxNO), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_EQ(status->GetLabel(), "Purged 0 stale NAVAREA cache file(s) (>24 h)");
  EXPECT_TRUE(std::filesystem::exists(CachePath("navarea_4.txt")));
  wxTEST_DIALOG(ConfirmAndPurgeCache(frame_, plugin_.get(), status, size),
                wxExpectModal<wxMessageDialog>(wxYES), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_EQ(status->GetLabel(), wxString::FromUTF8("Purged ALL fetch cache \xE2\x80\x94 2 file(s)"));
  EXPECT_EQ(size->GetLabel(), "Cache: 0 file(s), 0.00 MB");
  EXPECT_EQ(plugin_->status_text(), "Purged ALL fetch cache \xE2\x80\x94 2 file(s)");
}

}  // namespace
}  // namespace orvane
