// Live fetching in the plug-in, in the test host against a portal served on
// 127.0.0.1: which NAVAREAs a fetch asks for, busy and pending, the
// schedule, the merge of a result with its status lines and arrival log,
// the SAR alarm, own-ship NAVAREA changes and shutting down mid-fetch.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <wx/frame.h>
#include <wx/timer.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <sstream>

#include "common/clock.h"
#include "common/paths.h"
#include "exchange/arrival_log.h"
#include "exchange/parcel.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "http_test_server.h"
#include "orvane_pi/orvane_pi.h"
#include "parse/bulletin.h"
#include "test_host.h"
#include "test_support.h"
#include "ui/nt_dialog.h"
#include "wx_pump.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

using test::TestServer;

constexpr const char* kClosedPort = "http://127.0.0.1:9";
const std::string kDash = "\xE2\x80\x94";
const std::string kEllipsis = "\xE2\x80\xA6";

// A portal whose NAVAREA pages the test sets, which can hold every request
// until released (a stalled server) and counts what it was asked.
class Portal {
 public:
  Portal()
      : server_([this](httplib::Server& svr) {
          svr.Get(R"(/navarea/(\d+)/messages/archive/)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(m_);
            paths_.push_back(req.path);
            res.status = 404;
          });
          svr.Get(R"(/navarea/(\d+)/messages/)", [this](const httplib::Request& req, httplib::Response& res) {
            std::unique_lock<std::mutex> lock(m_);
            ++hits_;
            paths_.push_back(req.path + (req.has_param("page") ? "?page=" + req.get_param_value("page") : ""));
            cv_.notify_all();
            cv_.wait(lock, [this] { return !hold_; });
            if (busy_status_ != 0) {
              res.status = busy_status_;
              res.set_header("Retry-After", "120");
              return;
            }
            if (req.has_param("page")) return;  // an empty page ends the list
            const auto it = pages_.find(std::stoi(req.matches[1]));
            if (it == pages_.end()) {
              res.status = 404;
              return;
            }
            res.set_content(it->second, "text/html");
          });
          svr.Get(R"(/navarea/(\d+))", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
        }) {}
  ~Portal() { Release(); }

  void SetPage(int n, const std::string& text) {
    std::lock_guard<std::mutex> lock(m_);
    pages_[n] = "<html><body><pre>" + text + "</pre></body></html>";
  }
  void Hold() {
    std::lock_guard<std::mutex> lock(m_);
    hold_ = true;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(m_);
      hold_ = false;
    }
    cv_.notify_all();
  }
  void AnswerBusy(int status) {
    std::lock_guard<std::mutex> lock(m_);
    busy_status_ = status;
  }
  // Waits (bounded) until the server has had n requests.
  bool WaitForHits(int n) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(30), [&] { return hits_ >= n; });
  }
  int hits() {
    std::lock_guard<std::mutex> lock(m_);
    return hits_;
  }
  std::vector<std::string> paths() {
    std::lock_guard<std::mutex> lock(m_);
    return paths_;
  }
  std::string base() const { return server_.base(); }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::map<int, std::string> pages_;
  std::vector<std::string> paths_;
  bool hold_ = false;
  int busy_status_ = 0;
  int hits_ = 0;
  TestServer server_;  // last: stopped first, while the members above still live
};

// Two NAVAREA III warnings, the second a NAVTEX frame of subject D (SAR).
const std::string kWreck = "NAVAREA III - 0201/26 BLACK SEA\nWRECK REPORTED 41-20.0N 036-20.0E.\n";
const std::string kSar = "ZCZC ID01\nSAR OPERATION FISHING VESSEL MISSING 42-00.0N 033-00.0E.\nNNNN\n";

class PluginFetchTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    setenv("ORVANE_PORTAL_URL", kClosedPort, 1);
    SetFetchCancel(false);
    // Request gaps and back-off pass at once unless a test wants real waits.
    SetFetchSleeper([](int64_t) { return true; });
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    testhost::Host().canvas = frame_;
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
  }
  void TearDown() override {
    if (initialised_) plugin_->DeInit();
    plugin_.reset();
    frame_->Destroy();
    SetFetchSleeper(nullptr);
    SetFetchCancel(false);
    SetClock(nullptr);
    setenv("ORVANE_PORTAL_URL", kClosedPort, 1);
  }
  // Settings written before Init (a file the NAVAREA migration has seen);
  // one NAVAREA and no archive keep fetches short.
  void WriteSettings(const std::string& text) {
    EnsureDirectory(root_.dir() + "/config/opencpn");
    std::ofstream(SettingsFilePath()) << "NavareaAllMigrated=1\n" << text;
  }
  void Init() {
    EXPECT_EQ(plugin_->Init(), 0x0008891F);
    initialised_ = true;
  }
  bool FinishFetch() {
    return test::PumpUntil([&] { return !plugin_->fetch_busy(); });
  }
  void InitAndFinish() {
    Init();
    ASSERT_TRUE(FinishFetch());
  }
  void Fix(double lat, double lon) {
    PlugIn_Position_Fix_Ex fix;
    fix.Lat = lat;
    fix.Lon = lon;
    plugin_->SetPositionFixEx(fix);
  }
  std::vector<std::string> ArrivalLines() {
    std::vector<std::string> out;
    std::istringstream in(test::ReadFile(ArrivalLogFile()));
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  NtDialog* window() { return plugin_->message_window(); }

  test::TempDataRoot root_;
  wxFrame* frame_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
  bool initialised_ = false;
};

std::string AllNumerals() {
  return "I,II,III,IV,V,VI,VII,VIII,IX,X,XI,XII,XIII,XIV,XV,XVI,XVII,XVIII,XIX,XX,XXI";
}

// Which NAVAREAs a start asks for: the "Fetching %s…" line lists them in order.
TEST_F(PluginFetchTest, StartChoosesTheNavareas) {
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
  InitAndFinish();
  struct Case {
    const char* what;
    int32_t mask;         // NavareaMask before the start
    int32_t checks;       // the window's check list, -1: as the mask
    bool navarea_auto;
    bool fix_in_one;      // the ship reports a position in NAVAREA I
    std::string numerals;
    int32_t saved_mask;
    int32_t checks_after;  // the check list follows the mask only when it changes
    int current;
  };
  const Case cases[] = {
      {"mask III, nothing checked", 0x4, 0, false, false, "III", 0x4, 0, 3},
      {"checked III and IV", 0x4, 0xC, false, false, "III,IV", 0xC, 0xC, 3},
      {"nothing anywhere, no fix", 0, 0, false, false, AllNumerals(), 0x1FFFFF, 0x1FFFFF, 1},
      {"own ship in NAVAREA I with NavareaAuto", 0x4, -1, true, true, "III,I", 0x5, 0x5, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plugin_->SetNavareaAuto(c.navarea_auto);
    plugin_->SetNavareaMask(c.mask);
    if (c.checks >= 0) window()->SetNavareaChecks(c.checks);
    const int starts = plugin_->fetch_starts();
    if (c.fix_in_one) {
      Fix(50.0, 0.0);  // the ship's NAVAREA changes: that starts the fetch
    } else {
      wxCommandEvent press(wxEVT_BUTTON, kFetchSelectedButtonId);
      window()->GetEventHandler()->ProcessEvent(press);
    }
    EXPECT_EQ(plugin_->fetch_starts(), starts + 1);
    EXPECT_EQ(plugin_->status_text(), "Fetching " + c.numerals + kEllipsis);
    EXPECT_EQ(plugin_->settings().navarea_mask, c.saved_mask);
    EXPECT_EQ(window()->NavareaChecks(), c.checks_after);
    EXPECT_NE(test::ReadFile(SettingsFilePath()).find("NavareaMask=" + std::to_string(c.saved_mask) + "\n"),
              std::string::npos);
    EXPECT_EQ(plugin_->current_navarea(), c.current);
    ASSERT_TRUE(FinishFetch());
  }
}

TEST_F(PluginFetchTest, TicksDuringAFetchLeadToExactlyOneMore) {
  Portal portal;
  portal.SetPage(3, kWreck);
  portal.Hold();
  setenv("ORVANE_PORTAL_URL", portal.base().c_str(), 1);
  WriteSettings("NavareaMask=4\nIncludeArchive=0\nFetchScheduleEnabled=1\n");
  Init();
  ASSERT_TRUE(portal.WaitForHits(1));  // the start-up fetch is in flight
  EXPECT_TRUE(plugin_->fetch_busy());
  const int starts = plugin_->fetch_starts();

  // Two schedule ticks, the way the window's timer delivers them.
  for (int i = 0; i < 2; ++i) {
    wxTimer timer(window(), kFetchScheduleTimerId);
    wxTimerEvent tick(timer);
    window()->GetEventHandler()->ProcessEvent(tick);
  }
  EXPECT_EQ(plugin_->fetch_starts(), starts);
  EXPECT_TRUE(plugin_->fetch_pending());
  EXPECT_EQ(plugin_->status_text(), "Hourly tick deferred " + kDash + " fetch in progress");
  // A button press meanwhile is remembered the same way.
  plugin_->StartFetch();
  EXPECT_EQ(plugin_->status_text(), "Fetch already in progress" + kEllipsis);

  portal.Release();
  // The first result starts the pending fetch, which runs to its own result.
  ASSERT_TRUE(test::PumpUntil([&] { return plugin_->fetch_results_posted() == 2 && !plugin_->fetch_busy(); }));
  EXPECT_EQ(plugin_->fetch_starts(), starts + 2);  // the button press, then the pending one
  EXPECT_FALSE(plugin_->fetch_pending());
  // Nothing else was started: no third request for page 1.
  ASSERT_TRUE(test::PumpUntil([&] { return true; }));
  EXPECT_EQ(plugin_->fetch_results_posted(), 2);
  const std::vector<std::string> paths = portal.paths();
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "/navarea/3/messages/"), 2);
}

TEST_F(PluginFetchTest, ScheduleSpreadComesFromTheUtcClock) {
  // 10:00:30.000 UTC is 30 s past a three-minute boundary.
  ManualClock clock(1767225600000LL + 10 * 3600000LL + 30000);
  SetClock(&clock);
  WriteSettings("NavareaMask=4\nIncludeArchive=0\nFetchScheduleEnabled=1\nFetchIntervalMin=60\n");
  InitAndFinish();
  EXPECT_TRUE(window()->FetchTimerRunning());
  EXPECT_EQ(window()->FetchTimerIntervalMs(), 60 * 60000 + 30000);
  // Each arming takes a fresh spread.
  clock.Advance(100000);
  window()->StartFetchTimer();
  EXPECT_EQ(window()->FetchTimerIntervalMs(), 60 * 60000 + 130000);
  plugin_->SetFetchIntervalMin(5);
  EXPECT_EQ(window()->FetchTimerIntervalMs(), 5 * 60000 + 130000);
  // A tick with the schedule off does nothing.
  plugin_->SetFetchScheduleEnabled(false);
  EXPECT_FALSE(window()->FetchTimerRunning());
  const int starts = plugin_->fetch_starts();
  plugin_->OnScheduleTick();
  EXPECT_EQ(plugin_->fetch_starts(), starts);
}

TEST_F(PluginFetchTest, InitFetchesMergesLogsAndRingsOnceForNewSar) {
  Portal portal;
  portal.SetPage(3, kWreck + kSar);
  setenv("ORVANE_PORTAL_URL", portal.base().c_str(), 1);
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
  Init();
  const size_t sample_lines = ArrivalLines().size();  // the sample bulletin, loaded first
  EXPECT_EQ(sample_lines, 4u);
  const int alarms = plugin_->sar_alarms();
  ASSERT_TRUE(FinishFetch());

  // The served warnings replaced the sample's NAVAREA III messages.
  ASSERT_EQ(plugin_->store().size(), 2u);
  int wrecks = 0, sars = 0;
  for (const MsiMessage& m : plugin_->store()) {
    EXPECT_EQ(m.navarea, 3);
    wrecks += m.number == 201;
    sars += m.b2 == 'D' && m.station_id == "ID01";
  }
  EXPECT_EQ(wrecks, 1);
  EXPECT_EQ(sars, 1);
  EXPECT_EQ(window()->RowCount(), 2u);
  std::string cached;
  EXPECT_TRUE(ReadNavareaCache(3, &cached));

  // One valid JSON line per new message.
  const auto lines = ArrivalLines();
  ASSERT_EQ(lines.size(), sample_lines + 2);
  for (size_t i = 0; i < 2; ++i) {
    const auto j = nlohmann::json::parse(lines[sample_lines + i]);
    EXPECT_EQ(j["id"], plugin_->store()[i].id);
    EXPECT_EQ(j["title"], plugin_->store()[i].title);
  }
  // The alarm rang once; its line stays on the hover line, the status tells the merge.
  EXPECT_EQ(plugin_->sar_alarms(), alarms + 1);
  EXPECT_EQ(window()->HoverLine(), wxString::FromUTF8("Hover: SAR ALARM \xE2\x80\x94 1 new B2=D message(s)"));
  const std::string& status = plugin_->status_text();
  EXPECT_EQ(status.rfind("OK ", 0), 0u) << status;
  // The coastal hubs (on by default) are not served by this portal.
  EXPECT_NE(status.find(" " + kDash + " new=2 kept=0 areas=1 ns=0 [ok=1 fail=0 cache=0 of 1; coastal=ERR] geoms "),
            std::string::npos)
      << status;
  EXPECT_EQ(status[7], '-');  // "OK YYYY-MM-DD HH:MM:SS"
  EXPECT_EQ(status[16], ':');

  // The same warnings again: no line, no bell.
  plugin_->StartFetch();
  ASSERT_TRUE(FinishFetch());
  EXPECT_EQ(plugin_->fetch_results_posted(), 2);
  EXPECT_EQ(ArrivalLines().size(), sample_lines + 2);
  EXPECT_EQ(plugin_->sar_alarms(), alarms + 1);
  EXPECT_NE(plugin_->status_text().find("new=2 kept=0 areas=1"), std::string::npos) << plugin_->status_text();
}

// "OK" only when something was fetched and no NAVAREA failed: NAVAREA IV
// failing beside a good III is PARTIAL and names IV; both failing is FAIL
// and the store stays as it was, though their caches came back as text.
// The fetch's failure comments never reach the list.
TEST_F(PluginFetchTest, TheStatusSaysWhichNavareasFailed) {
  Portal portal;
  portal.SetPage(3, kWreck + kSar);
  setenv("ORVANE_PORTAL_URL", portal.base().c_str(), 1);
  WriteSettings("NavareaMask=12\nIncludeArchive=0\nCoastalFeedsEnabled=0\n");
  ASSERT_TRUE(StoreNavareaText(4, "NAVAREA IV 0300/26\nCARIBBEAN SEA. BUOY 18-00.0N 066-00.0W.\n", "u", 200, "", ""));
  InitAndFinish();
  auto no_comment_rows = [&] {
    for (const MsiMessage& m : plugin_->store())
      if (m.raw_text.find("<!--") != std::string::npos || m.title.find("<!--") != std::string::npos) return false;
    return true;
  };
  const std::string partial = plugin_->status_text();
  EXPECT_EQ(partial.rfind("PARTIAL ", 0), 0u) << partial;
  EXPECT_NE(partial.find(kDash + " failed NAVAREA IV " + kDash + " new="), std::string::npos) << partial;
  EXPECT_NE(partial.find("[ok=1 fail=1 cache=1 of 2"), std::string::npos) << partial;
  EXPECT_TRUE(no_comment_rows());
  const auto before = plugin_->store();

  // Now III fails too: only the caches stand in, the same warnings again.
  portal.AnswerBusy(404);
  plugin_->StartFetch();
  ASSERT_TRUE(FinishFetch());
  const std::string fail = plugin_->status_text();
  EXPECT_EQ(fail.rfind("FAIL " + kDash + " failed NAVAREA III,IV: ok=0 fail=2 cache=2 of 2", 0), 0u) << fail;
  EXPECT_NE(fail.find(kDash + " keeping/using last-good cache (no wipe)"), std::string::npos) << fail;
  std::multiset<std::string> ids_before, ids_after;
  for (const MsiMessage& m : before) ids_before.insert(m.id);
  for (const MsiMessage& m : plugin_->store()) ids_after.insert(m.id);
  EXPECT_EQ(ids_after, ids_before);
  EXPECT_TRUE(no_comment_rows());
}

// The ingest's own cases, called as the window's handler calls it.
TEST_F(PluginFetchTest, ResultsMergeOrFailWithTheirStatusLines) {
  ManualClock clock;
  SetClock(&clock);
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
  InitAndFinish();
  auto numbers = [&] {
    std::vector<int> out;
    for (const MsiMessage& m : plugin_->store()) out.push_back(m.number);
    return out;
  };
  auto warning = [](const char* area, int serial) {
    return std::string("NAVAREA ") + area + " - " + std::to_string(serial) + "/26 TEST AREA\nBUOY 41-" +
           std::to_string(10 + serial) + ".0N 030-10.0E.\n";
  };
  plugin_->OnFetchResult(true,
                         "===== NAVAREA 3 =====\n" + warning("III", 1) + warning("III", 2) +
                             "===== NAVAREA 4 =====\n" + warning("IV", 3),
                         "", 3);
  ASSERT_EQ(numbers(), (std::vector<int>{1, 2, 3}));

  plugin_->OnFetchResult(true, "===== NAVAREA 3 =====\n" + warning("III", 1) + warning("III", 4), "ok=1", 3);
  EXPECT_EQ(numbers(), (std::vector<int>{3, 1, 4}));
  const std::string local = FormatLocalTime(clock.UtcMs(), "%Y-%m-%d %H:%M:%S");
  EXPECT_EQ(plugin_->status_text(), "OK " + local + " " + kDash + " new=2 kept=1 areas=1 ns=0 [ok=1] geoms 3");
  EXPECT_EQ(window()->RowCount(), 3u);

  // An empty successful result counts its first NAVAREA as fetched again.
  plugin_->OnFetchResult(true, "", "", 3);
  EXPECT_EQ(numbers(), (std::vector<int>{3}));
  EXPECT_EQ(plugin_->status_text(), "OK " + local + " " + kDash + " new=0 kept=1 areas=1 ns=0 geoms 1");
  EXPECT_EQ(plugin_->current_navarea(), 3);

  // A failure never wipes a store.
  plugin_->OnFetchResult(false, "", "all Quorvant fetches failed", 4);
  EXPECT_EQ(numbers(), (std::vector<int>{3}));
  EXPECT_EQ(plugin_->status_text(),
            "FAIL " + kDash + " all Quorvant fetches failed " + kDash + " previous overlay KEPT (no wipe on fail)");
  EXPECT_EQ(plugin_->current_navarea(), 4);

  // An empty store takes the cache instead, last-good or STALE by its age.
  ASSERT_TRUE(StoreNavareaText(3, warning("III", 7), "u", 200, "", ""));
  plugin_->ReplaceStoreForTesting({});
  plugin_->OnFetchResult(false, "", "HTTP status 503", 3);
  EXPECT_EQ(numbers(), (std::vector<int>{7}));
  EXPECT_EQ(plugin_->status_text(), "FAIL " + kDash + " HTTP status 503 " + kDash + " keeping/using last-good cache (no wipe)");
  EXPECT_EQ(window()->RowCount(), 1u);
  clock.Advance(25 * 3600000LL);
  plugin_->ReplaceStoreForTesting({});
  plugin_->OnFetchResult(false, "", "HTTP status 503", 3);
  EXPECT_EQ(numbers(), (std::vector<int>{7}));
  EXPECT_EQ(plugin_->status_text(), "FAIL " + kDash + " HTTP status 503 " + kDash + " keeping/using STALE cache (no wipe)");
  // No cache for that NAVAREA: the empty store stays empty.
  plugin_->ReplaceStoreForTesting({});
  plugin_->OnFetchResult(false, "", "HTTP status 503", 5);
  EXPECT_TRUE(plugin_->store().empty());
  EXPECT_EQ(plugin_->status_text(),
            "FAIL " + kDash + " HTTP status 503 " + kDash + " previous overlay KEPT (no wipe on fail)");
  EXPECT_EQ(plugin_->fetch_results_posted(), 1);  // only the start-up fetch went through the window
}

TEST_F(PluginFetchTest, AResultEventWithoutAPayloadIsIgnored) {
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
  InitAndFinish();
  wxCommandEvent empty(wxEVT_MENU, kFetchResultEventId);
  const std::string before = plugin_->status_text();
  const size_t rows = window()->RowCount();
  window()->GetEventHandler()->ProcessEvent(empty);
  EXPECT_EQ(plugin_->status_text(), before);
  EXPECT_EQ(window()->RowCount(), rows);
}

TEST_F(PluginFetchTest, AShipStayingInNavareaFourFetchesOnce) {
  ManualClock clock;
  SetClock(&clock);
  WriteSettings("NavareaAuto=1\nIncludeArchive=0\n");  // every NAVAREA selected
  InitAndFinish();
  EXPECT_EQ(plugin_->current_navarea(), 1);  // the fetch's first id, not where the ship is
  const int starts = plugin_->fetch_starts();
  for (int i = 0; i < 12; ++i) {
    clock.Advance(8000);
    Fix(30.0, -60.0);  // western North Atlantic: NAVAREA IV
    ASSERT_TRUE(FinishFetch());
  }
  EXPECT_EQ(plugin_->ship_navarea(), 4);
  EXPECT_EQ(plugin_->fetch_starts(), starts + 1);
}

// Shutting down while the job waits on a stalled server or sleeps out a
// Retry-After: DeInit ends the wait, collects the thread, and nothing is
// posted after it.
TEST_F(PluginFetchTest, DeInitDuringAFetchStopsItAndPostsNothing) {
  for (const bool retry_after : {false, true}) {
    SCOPED_TRACE(retry_after ? "in a Retry-After sleep" : "server stalled");
    SetFetchSleeper(nullptr);  // real waits, which the shutdown must cut short
    Portal portal;
    portal.SetPage(3, kWreck);
    if (retry_after)
      portal.AnswerBusy(503);
    else
      portal.Hold();
    setenv("ORVANE_PORTAL_URL", portal.base().c_str(), 1);
    WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    Init();
    ASSERT_TRUE(portal.WaitForHits(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into the transfer or the sleep
    EXPECT_TRUE(plugin_->fetch_busy());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(plugin_->DeInit());
    initialised_ = false;
    const auto took = std::chrono::steady_clock::now() - start;
    // Bounded, not a speed figure: far below the 120 s sleep or the 30 s time-out.
    EXPECT_LT(took, std::chrono::seconds(kFetchThreadJoinMs / 1000 + 2));
    EXPECT_FALSE(plugin_->fetch_thread_attached());
    EXPECT_EQ(plugin_->message_window(), nullptr);
    portal.Release();
    ASSERT_TRUE(test::PumpUntil([&] { return true; }));
    EXPECT_EQ(plugin_->fetch_results_posted(), 0);
    EXPECT_EQ(portal.hits(), 1);
  }
}

// The window's archive box takes effect at the next fetch.
TEST_F(PluginFetchTest, TheArchiveBoxDecidesTheNextFetch) {
  Portal portal;
  portal.SetPage(3, kWreck);
  setenv("ORVANE_PORTAL_URL", portal.base().c_str(), 1);
  WriteSettings("NavareaMask=4\nIncludeArchive=1\n");
  InitAndFinish();
  const std::string archive = "/navarea/3/messages/archive/";
  auto archive_requests = [&] {
    const std::vector<std::string> p = portal.paths();
    return std::count(p.begin(), p.end(), archive);
  };
  EXPECT_EQ(archive_requests(), 1);
  wxCommandEvent box(wxEVT_CHECKBOX, kArchiveCheckId);
  box.SetInt(0);
  window()->GetEventHandler()->ProcessEvent(box);
  EXPECT_FALSE(plugin_->settings().include_archive);
  wxCommandEvent press(wxEVT_BUTTON, kFetchSelectedButtonId);
  window()->GetEventHandler()->ProcessEvent(press);
  ASSERT_TRUE(FinishFetch());
  EXPECT_EQ(plugin_->fetch_results_posted(), 2);
  EXPECT_EQ(archive_requests(), 1);
  const std::vector<std::string> p = portal.paths();
  EXPECT_EQ(std::count(p.begin(), p.end(), "/navarea/3/messages/"), 2);
}

// A parcel is someone else's selection: importing one logs no arrival and
// rings no alarm, even for a new SAR message.
TEST_F(PluginFetchTest, AParcelImportLogsNothingAndRingsNothing) {
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
  InitAndFinish();
  MsiMessage sar = ParseBulletin(kSar).at(0);
  ASSERT_EQ(sar.b2, 'D');
  ASSERT_FALSE(sar.id.empty());
  const std::string path = root_.dir() + "/in.json";
  std::ofstream(path) << WriteParcelJson({sar}, ParcelMeta());
  const size_t lines = ArrivalLines().size();
  const int alarms = plugin_->sar_alarms();
  EXPECT_EQ(plugin_->ImportParcel(path).rfind("Parcel import OK", 0), 0u);
  EXPECT_EQ(std::count_if(plugin_->store().begin(), plugin_->store().end(),
                          [&](const MsiMessage& m) { return m.id == sar.id; }),
            1);
  EXPECT_EQ(ArrivalLines().size(), lines);
  EXPECT_EQ(plugin_->sar_alarms(), alarms);
  // Pasted text, by contrast, is logged and alarms.
  plugin_->LoadBulletinText(kSar);
  EXPECT_EQ(ArrivalLines().size(), lines);  // the same id was already in the store
  plugin_->LoadBulletinText(kWreck);
  plugin_->LoadBulletinText(kSar);
  EXPECT_EQ(ArrivalLines().size(), lines + 2);
  EXPECT_EQ(plugin_->sar_alarms(), alarms + 1);
}

// "Open arrival log" hands the log's folder to the desktop's opener as one
// argument; a stand-in opener first on PATH records what it was given.
TEST_F(PluginFetchTest, OpenArrivalLogShowsItsFolder) {
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");
  InitAndFinish();
  const std::string bin = root_.dir() + "/bin";
  const std::string record = root_.dir() + "/opened.txt";
  EnsureDirectory(bin);
  std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << record << ".part\" && mv \"" << record
                                   << ".part\" \"" << record << "\"\n";
  std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin + ":" + old_path).c_str(), 1);
  wxCommandEvent press(wxEVT_BUTTON, kArrivalLogButtonId);
  window()->GetEventHandler()->ProcessEvent(press);
  const bool opened = test::PumpUntil([&] { return std::filesystem::exists(record); }, 20000);
  setenv("PATH", old_path.c_str(), 1);
  ASSERT_TRUE(opened);
  const std::string log = ArrivalLogFile();
  EXPECT_EQ(test::ReadFile(record), log.substr(0, log.rfind('/')));
  EXPECT_TRUE(std::filesystem::is_directory(log.substr(0, log.rfind('/'))));
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// Shutdowns at random points of a fetch: before the request, while the body
// trickles in, around the cache write, and after the result was posted but
// before the window took it. Every DeInit returns within 2 s and nothing
// reaches the plug-in after it.
TEST_F(PluginFetchTest, ShutdownsAtRandomPointsOfAFetchAreBoundedAndSilent) {
  std::atomic<int> requests{0};
  const std::string page = "<html><body><pre>" + kWreck + "</pre></body></html>";
  TestServer server([&](httplib::Server& svr) {
    svr.Get(R"(/navarea/3/messages/)", [&](const httplib::Request& req, httplib::Response& res) {
      ++requests;
      if (req.has_param("page")) return;
      // The body in eight pieces a few milliseconds apart.
      res.set_chunked_content_provider("text/html", [&page](size_t offset, httplib::DataSink& sink) {
        const size_t piece = page.size() / 8 + 1;
        if (offset >= page.size()) {
          sink.done();
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        return sink.write(page.data() + offset, std::min(piece, page.size() - offset));
      });
    });
    svr.Get(R"(/.*)", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
  });
  setenv("ORVANE_PORTAL_URL", server.base().c_str(), 1);
  WriteSettings("NavareaMask=4\nIncludeArchive=0\n");

  std::mt19937 rng(42);
  int before_request = 0, during_fetch = 0, after_posting = 0;
  std::chrono::steady_clock::duration slowest{};
  constexpr int kShutdowns = 200;
  for (int i = 0; i < kShutdowns; ++i) {
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    const int seen = requests;
    Init();
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60000)(rng)));
    const int posted = plugin_->fetch_results_posted();
    if (posted > 0)
      ++after_posting;
    else if (requests == seen)
      ++before_request;
    else
      ++during_fetch;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(plugin_->DeInit());
    initialised_ = false;
    slowest = std::max(slowest, std::chrono::steady_clock::now() - start);
    EXPECT_FALSE(plugin_->fetch_thread_attached());
    const size_t messages = plugin_->store().size();
    const int posted_at_shutdown = plugin_->fetch_results_posted();
    // Whatever was still queued is handled now; none of it reaches the plug-in.
    test::PumpUntil([] { return true; });
    EXPECT_EQ(plugin_->fetch_results_posted(), posted_at_shutdown);
    EXPECT_EQ(plugin_->store().size(), messages);
    if (HasFailure()) break;
  }
  EXPECT_LT(slowest, std::chrono::seconds(2));
  // The random points did fall before, inside and after the fetch.
  EXPECT_GT(before_request, 0);
  EXPECT_GT(during_fetch, 0);
  EXPECT_GT(after_posting, 0);
  std::printf("shutdowns: %d (before the request %d, during the fetch %d, after posting %d), slowest %.1f ms\n",
              kShutdowns, before_request, during_fetch, after_posting,
              std::chrono::duration<double, std::milli>(slowest).count());
}

}  // namespace
}  // namespace orvane
