// The plug-in object: what the chart plotter creates, initialises, calls
// back and destroys. It owns the settings, the message store, the own-ship
// state, the status line and the message window.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <wx/timer.h>

#include "orvane_host/plugin_api.h"
#include "parse/msi_model.h"
#include "settings/settings.h"

namespace orvane {
struct ReceiverBatch;
struct ReceiverLink;
class NtDialog;
struct FilterContext;
class FrameCache;
class SettingsDialog;
struct FetchHandoff;
}

// Host capability bits this plug-in asks for.
// The NMEA sentences carry the ship's NAVTEX receiver when the user reads
// it through the chart plotter.
constexpr int kOrvaneCapabilities = WANTS_OVERLAY_CALLBACK | WANTS_CURSOR_LATLON | WANTS_TOOLBAR_CALLBACK |
                                    INSTALLS_TOOLBAR_TOOL | WANTS_NMEA_SENTENCES | WANTS_NMEA_EVENTS |
                                    WANTS_PREFERENCES | WANTS_OPENGL_OVERLAY_CALLBACK | WANTS_MOUSE_EVENTS;
static_assert(kOrvaneCapabilities == 0x0008891F, "capability bits");

constexpr int kClickTimerId = 9401;
constexpr int kClickBurstMs = 420;
// A press and release this many pixels apart or less, with no drag beyond
// it, is a click on the chart.
constexpr int kChartClickSlopPx = 4;
constexpr int64_t kCanvasRefreshGapMs = 80;
constexpr int64_t kFixStatusGapMs = 2000;
constexpr int64_t kNavareaChangeGapMs = 8000;
// How long shutting down waits for a fetch thread before leaving it behind.
constexpr int kFetchThreadJoinMs = 4000;

class orvane_pi : public opencpn_plugin_118 {
 public:
  explicit orvane_pi(void* host);
  ~orvane_pi() override;

  // Host callbacks.
  int Init() override;
  bool DeInit() override;
  int GetAPIVersionMajor() override { return 1; }
  int GetAPIVersionMinor() override { return 18; }
  int GetPlugInVersionMajor() override { return 1; }
  int GetPlugInVersionMinor() override { return 0; }
  wxBitmap* GetPlugInBitmap() override;
  wxString GetCommonName() override;
  wxString GetShortDescription() override;
  wxString GetLongDescription() override;
  void ShowPreferencesDialog(wxWindow* parent) override;
  void SetCursorLatLon(double lat, double lon) override;
  void OnToolbarToolCallback(int id) override;
  void SetPositionFixEx(PlugIn_Position_Fix_Ex& pfix) override;
  void SetNMEASentence(wxString& sentence) override;
  bool MouseEventHook(wxMouseEvent& event) override;
  // Dims the overlay and darkens the windows at dusk and night (orvane_pi_overlay.cpp).
  void SetColorScheme(PI_ColorScheme scheme) override;
  bool RenderGLOverlayMultiCanvas(wxGLContext* pcontext, PlugIn_ViewPort* vp, int canvas_index,
                                  int priority) override;
  bool RenderOverlayMultiCanvas(wxDC& dc, PlugIn_ViewPort* vp, int canvas_index, int priority) override;

  // Operations other parts of the plug-in use.
  void RefreshStatus();
  void RequestCanvasRefresh();
  void LoadBulletinText(const std::string& text);
  void LoadSampleCorpus();
  // Rings the bell and says so when new search-and-rescue messages arrived.
  void RunSarAlarm(const orvane::MessageStore& previous);
  // Runs the settings dialog modally; false when DeInit closed it.
  bool ShowSettingsDialog(wxWindow* parent, int page);
  // Cache purges: each sets the status text, refreshes and returns it.
  std::string PurgeStaleCache();
  std::string PurgeAllCache();
  void SetStatusText(const std::string& text);

  // The settings file: read once by Init, written by every setter and DeInit.
  void LoadSettings();
  void SaveSettings();

  // Setters: each brings its value into range, stores it and saves.
  void SetShow(bool show);
  void SetRange(double d);  // below 0: no range limit
  void SetRouteFilter(bool on);
  void SetCorridorNm(double nm);
  void SetFetchIntervalMin(int minutes);
  void SetFetchScheduleEnabled(bool on);
  void SetNavareaAuto(bool on);
  void SetCoastalFeedsEnabled(bool on);
  void SetAdjacentPrefetch(bool on);
  void SetExtraFeedUrls(const std::string& urls);
  void SetAdmiraltyHtmlEnabled(bool on);
  void SetNgaHtmlEnabled(bool on);
  void SetIncludeArchive(bool on);
  void SetFetchGapMs(int ms);
  void SetNavareaMask(int32_t mask);
  void SetOverlayAlpha(double alpha);
  void SetOverlayLineWidth(double width);
  void SetPatternFill(bool on);
  // The legend box on the chart (orvane_pi_overlay.cpp).
  void SetShowLegend(bool on);
  // Mandatory categories may be switched off here; the next load brings them back.
  void SetTypeVisible(orvane::MsgType t, bool on);
  // Upper-cased; letters outside A..Y are ignored; mandatory letters stay set.
  void SetB2Visible(char letter, bool on);
  // From a theme choice: colours holder (the window holding the choice) too.
  void SetUiTheme(wxWindow* holder, int selection);

  // Filters, hit test, highlight and hover (orvane_pi_overlay.cpp).
  bool IsVisible(const orvane::MsiMessage& m);
  size_t CountVisible();
  bool InRouteCorridor(const orvane::MsiMessage& m);
  std::vector<int> RouteNavareas();
  int HitTest(double lat, double lon);
  // Every visible message a click there touches, in store order.
  std::vector<int> HitTestAll(double lat, double lon);
  void HighlightMessage(int index);

  // Overlay (orvane_pi_overlay.cpp): the filter state of one frame, count,
  // hover or click pass; the active route is asked of the host once for it.
  void FillFilterContext(orvane::FilterContext* ctx);
  // The hover line at the cursor position; never redraws the chart.
  void UpdateHover();
  const PlugIn_ViewPort& last_viewport() const { return last_vp_; }
  bool has_viewport() const { return has_vp_; }
  // Tests draw stores of their own making.
  void ReplaceStoreForTesting(orvane::MessageStore store) { store_ = std::move(store); }
  // Times a chart frame was built rather than reused.
  int frame_builds();

  // The detail view of one message of the store (ui/message_detail.cpp).
  void ShowMessageDetail(int index);

  // Fetching (orvane_pi_fetch.cpp).
  void StartFetch();
  void LaunchFetch(const std::vector<int>& ids);
  void OnScheduleTick();
  // failed_ids: the requested NAVAREAs that failed (their cache may stand in
  // in text); fresh: the sources fetched afresh, -1 when not counted. The
  // status says OK only when something was fetched and no NAVAREA failed.
  void OnFetchResult(bool ok, const std::string& text, const std::string& status, int first_id,
                     const std::vector<int>& failed_ids = {}, int fresh = -1);
  // The message window's handler of the result event: takes the payload,
  // hands it to the plug-in when there is one, and releases it in every case.
  static void HandleFetchResultEvent(orvane_pi* plugin, wxCommandEvent& event);
  // Opens the arrival log's folder in the file browser; false when it cannot.
  bool OpenArrivalLog();
  // The settings dialog's Fetch now and Cancel fetch (ui/settings_dialog.cpp).
  void FetchNowCommand(orvane::SettingsDialog& d);
  void CancelFetchCommand(orvane::SettingsDialog& d);

  // The NAVTEX receiver (orvane_pi_receiver.cpp): its input follows the
  // settings; its messages join the store as parcels do, new ones are logged
  // and SAR traffic rings the alarm.
  void StartReceiver();
  void StopReceiver();
  // Source, device, baud, TCP and UDP endpoints, file, garbled share and
  // masks in one go (the settings dialog's Receiver page); restarts the input.
  void SetReceiverSettings(const orvane::Settings& receiver_part);
  void OnReceiverBatch(orvane::ReceiverBatch batch);
  // "Receiver: TCP 127.0.0.1:10110 — 12 messages, 1 garbled, last 14:02Z".
  std::string ReceiverStatusText() const;

  // Exchange (orvane_pi_exchange.cpp): each returns the text to show the user.
  std::string ExportParcel();
  std::string ImportParcel(const std::string& path);
  std::string RouteCorridorHint();
  std::string WriteReport(bool print);

  bool IsTypeVisible(orvane::MsgType t) const;
  bool IsB2Visible(char letter) const;
  std::vector<int> SelectedNavareas() const;

  // Read access for the windows and the tests.
  const orvane::Settings& settings() const { return settings_; }
  const orvane::MessageStore& store() const { return store_; }
  const std::string& status_text() const { return status_text_; }
  int current_navarea() const { return current_navarea_; }
  int highlighted() const { return highlighted_; }
  const std::string& hover_text() const { return hover_text_; }
  bool show() const { return settings_.show; }
  bool range_all() const { return settings_.range_all; }
  double range_nm() const { return settings_.range_nm; }
  bool navarea_auto() const { return settings_.navarea_auto; }
  int tool_id() const { return tool_id_; }
  int settings_start_page() const { return settings_start_page_; }
  int settings_dialog_opens() const { return settings_dialog_opens_; }
  int fetch_starts() const { return fetch_starts_; }
  // Times the search-and-rescue alarm rang.
  int sar_alarms() const { return sar_alarms_; }
  // The NAVAREA of the last accepted own-ship fix (start-up: the start-up NAVAREA).
  int ship_navarea() const { return ship_navarea_; }
  bool last_draw_was_gl() const { return last_draw_gl_; }
  bool click_timer_running() const { return click_timer_.IsRunning(); }
  wxWindow* canvas_window() const { return canvas_; }
  orvane::NtDialog* message_window() const { return dialog_; }

  // Message window (dlg): the own-ship fix for the GPS hint.
  bool have_fix() const { return have_fix_; }
  double own_lat() const { return own_lat_; }
  double own_lon() const { return own_lon_; }
  // Settings dialog (set): whether a fetch is running, read under the fetch lock.
  bool fetch_busy() {
    std::lock_guard<std::mutex> lock(fetch_lock_);
    return fetch_busy_;
  }
  bool fetch_pending() {
    std::lock_guard<std::mutex> lock(fetch_lock_);
    return fetch_pending_;
  }
  // Results the fetch jobs have handed to the message window so far.
  int fetch_results_posted() const;
  // True while a fetch thread of this object has not been joined or left behind.
  bool fetch_thread_attached() const { return fetch_thread_.joinable(); }
  // Called by a fetch job that has no window to hand its result to.
  void DropFetchResult();

 private:
  void OnClickTimer(wxTimerEvent& event);
  void OnClickBurstEnd();
  void SyncFetchSchedule();
  // Closes the hand-off, stops the fetch thread's waits and transfer and
  // waits a bounded time for it; after this no job touches the object.
  void StopFetchThread();
  bool DrawGate(int canvas_index, int priority, bool gl);
  // A message picked on the chart: highlighted, named, and its row chosen.
  void SelectFromChart(int index);
  // The chart frame and geometry boxes kept between draws (orvane_pi_overlay.cpp).
  orvane::FrameCache& frame_cache();

  wxWindow* canvas_ = nullptr;
  int tool_id_ = -1;
  orvane::NtDialog* dialog_ = nullptr;

  orvane::Settings settings_;
  int64_t last_navarea_change_ms_ = 0;

  // Own ship and the state of the plug-in.
  double own_lat_ = 0.0, own_lon_ = 0.0;
  bool have_fix_ = false;
  bool own_area_fetch_done_ = false;
  int current_navarea_ = 0;
  orvane::MessageStore store_;
  std::string status_text_;
  std::string hover_text_;
  double cursor_lat_ = 0.0, cursor_lon_ = 0.0;
  int ship_navarea_ = 0;
  bool fetch_busy_ = false, fetch_pending_ = false;
  std::mutex fetch_lock_;
  // What a running job may reach of this object and its window; closed at shutdown.
  std::shared_ptr<orvane::FetchHandoff> handoff_;
  std::thread fetch_thread_;
  int highlighted_ = -1;
  bool last_draw_gl_ = false;
  int64_t last_canvas_refresh_ms_ = 0;
  int64_t last_click_ms_ = 0;
  int64_t last_status_refresh_ms_ = 0;
  int click_count_ = 0;
  int settings_start_page_ = 0;
  wxTimer click_timer_;
  PlugIn_ViewPort last_vp_;
  bool has_vp_ = false;
  std::shared_ptr<orvane::FrameCache> frame_cache_;
  // A left press that may still become a click: where it was.
  bool press_armed_ = false;
  int press_x_ = 0, press_y_ = 0;

  std::unique_ptr<orvane::ReceiverLink> receiver_;
  int settings_dialog_opens_ = 0;
  int fetch_starts_ = 0;
  int sar_alarms_ = 0;
};
