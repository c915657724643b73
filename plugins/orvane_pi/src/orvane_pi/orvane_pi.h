// The plug-in object: what the chart plotter creates, initialises, calls
// back and destroys. It owns the settings, the message store, the own-ship
// state, the status line and the message window.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include <wx/timer.h>

#include "orvane_host/plugin_api.h"
#include "parse/msi_model.h"

namespace orvane {
class NtDialog;
}

// Host capability bits this plug-in asks for.
constexpr int kOrvaneCapabilities = WANTS_OVERLAY_CALLBACK | WANTS_CURSOR_LATLON | WANTS_TOOLBAR_CALLBACK |
                                    INSTALLS_TOOLBAR_TOOL | WANTS_NMEA_EVENTS | WANTS_PREFERENCES |
                                    WANTS_OPENGL_OVERLAY_CALLBACK | WANTS_MOUSE_EVENTS;
static_assert(kOrvaneCapabilities == 0x0008890F, "capability bits");

constexpr int kClickTimerId = 9401;
constexpr int kClickBurstMs = 420;
constexpr int64_t kCanvasRefreshGapMs = 80;
constexpr int64_t kFixStatusGapMs = 2000;
constexpr int64_t kNavareaChangeGapMs = 8000;

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
  bool MouseEventHook(wxMouseEvent& event) override;
  bool RenderGLOverlayMultiCanvas(wxGLContext* pcontext, PlugIn_ViewPort* vp, int canvas_index,
                                  int priority) override;
  bool RenderOverlayMultiCanvas(wxDC& dc, PlugIn_ViewPort* vp, int canvas_index, int priority) override;

  // Operations other parts of the plug-in use.
  void RefreshStatus();
  void RequestCanvasRefresh();
  void LoadBulletinText(const std::string& text);
  void LoadSampleCorpus();
  void ShowSettingsDialog(wxWindow* parent, int page);
  void StartFetch();
  // Cache purges: each sets the status text, refreshes and returns it.
  std::string PurgeStaleCache();
  std::string PurgeAllCache();
  void SetStatusText(const std::string& text);

  // Setters: each brings its value into range, stores it and saves.
  void SetShow(bool show);
  void SetRange(bool all, double nm);

  // Read access for the windows and the tests.
  const orvane::MessageStore& store() const { return store_; }
  const std::string& status_text() const { return status_text_; }
  int current_navarea() const { return current_navarea_; }
  bool show() const { return show_; }
  bool range_all() const { return range_all_; }
  double range_nm() const { return range_nm_; }
  bool navarea_auto() const { return navarea_auto_; }
  void set_navarea_auto(bool on) { navarea_auto_ = on; }
  int tool_id() const { return tool_id_; }
  int settings_start_page() const { return settings_start_page_; }
  int settings_dialog_opens() const { return settings_dialog_opens_; }
  int fetch_starts() const { return fetch_starts_; }
  bool last_draw_was_gl() const { return last_draw_gl_; }
  bool click_timer_running() const { return click_timer_.IsRunning(); }
  wxWindow* canvas_window() const { return canvas_; }
  orvane::NtDialog* message_window() const { return dialog_; }

 private:
  void OnClickTimer(wxTimerEvent& event);
  void OnClickBurstEnd();
  bool DrawGate(int canvas_index, int priority, bool gl);

  wxWindow* canvas_ = nullptr;
  int tool_id_ = -1;
  orvane::NtDialog* dialog_ = nullptr;

  // Settings.
  bool show_ = true;
  bool range_all_ = true;
  double range_nm_ = 1000.0;
  bool route_filter_ = false;
  double corridor_nm_ = 50.0;
  int fetch_interval_min_ = 60;
  bool fetch_schedule_enabled_ = true;
  bool navarea_auto_ = false;
  bool coastal_feeds_enabled_ = true;
  bool include_archive_ = true;
  bool admiralty_html_enabled_ = false;
  bool nga_html_enabled_ = false;
  int fetch_gap_ms_ = 750;
  bool adjacent_prefetch_ = false;
  int64_t last_navarea_change_ms_ = 0;
  std::string extra_feed_urls_;
  uint32_t navarea_mask_ = 0x1FFFFF;
  double overlay_alpha_ = 0.35;
  double overlay_line_width_ = 2.0;
  bool pattern_fill_ = true;
  uint32_t type_mask_ = 0xFFFF;
  uint32_t b2_mask_ = 0xFDFFFFFF;

  // Own ship and the state of the plug-in.
  double own_lat_ = 0.0, own_lon_ = 0.0;
  bool have_fix_ = false;
  bool own_area_fetch_done_ = false;
  int current_navarea_ = 0;
  orvane::MessageStore store_;
  std::string status_text_;
  std::string hover_text_;
  double cursor_lat_ = 0.0, cursor_lon_ = 0.0;
  bool fetch_busy_ = false, fetch_pending_ = false;
  std::mutex fetch_lock_;
  int highlighted_ = -1;
  bool last_draw_gl_ = false;
  int64_t last_canvas_refresh_ms_ = 0;
  int64_t last_click_ms_ = 0;
  int64_t last_status_refresh_ms_ = 0;
  int click_count_ = 0;
  int settings_start_page_ = 0;
  wxTimer click_timer_;
  int ui_theme_ = 0;
  PlugIn_ViewPort last_vp_;
  bool has_vp_ = false;

  int settings_dialog_opens_ = 0;
  int fetch_starts_ = 0;
};
