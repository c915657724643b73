#include "orvane_pi/orvane_pi.h"

#include <wx/image.h>
#include <wx/utils.h>
#include <wx/log.h>

#include "common/clock.h"
#include "common/paths.h"
#include "common/sample_bulletin.h"
#include "common/toolbar_icon.h"
#include "exchange/arrival_log.h"
#include "orvane_pi/receiver_link.h"
#include "orvane_pi/settings_file.h"
#include "fetch/corpus_archive.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "fetch/http_client.h"
#include "orvane_pi/translate.h"
#include "overlay/frame.h"
#include "overlay/taxonomy.h"
#include "parse/bulletin.h"
#include "parse/geography.h"
#include "ui/modal.h"
#include "ui/nt_dialog.h"
#include "ui/theme.h"

using namespace orvane;

namespace {

// The toolbar bitmaps belong to the process: made by the first object and
// kept until exit, because the host may still show them after DeInit.
wxBitmap* g_plugin_bitmap = nullptr;
wxBitmap* g_tool_bitmap = nullptr;

wxBitmap* MakeBitmap(Rgba background, Rgba triangle) {
  const std::vector<uint8_t> px = MakeTriangleIcon(background, triangle);
  wxImage img(kToolIconSize, kToolIconSize);
  img.InitAlpha();
  for (int y = 0; y < kToolIconSize; ++y)
    for (int x = 0; x < kToolIconSize; ++x) {
      const uint8_t* p = &px[(y * kToolIconSize + x) * 4];
      img.SetRGB(x, y, p[0], p[1], p[2]);
      img.SetAlpha(x, y, p[3]);
    }
  return new wxBitmap(img, 32);
}

void EnsureBitmaps() {
  if (!g_plugin_bitmap) g_plugin_bitmap = MakeBitmap(kPluginIconBackground, kPluginIconTriangle);
  if (!g_tool_bitmap) g_tool_bitmap = MakeBitmap(kToolIconBackground, kToolIconTriangle);
}

void WriteLoadLine() {
  const std::string line = FormatLocalTime(NowUtcMs(), "%Y-%m-%d %H:%M:%S") +
                           " PluginLoader Loading orvane_pi; Init OK (no failed to load)";
  AppendToFile(PluginLoadLogPath(), line + "\n");  // a log that cannot be written is not fatal
  wxLogMessage("%s", ToWx(line));
}

}  // namespace

orvane_pi::orvane_pi(void* host) : opencpn_plugin_118(host) {
  EnsureBitmaps();
  AllowPluginModals();
}

orvane_pi::~orvane_pi() {
  // Normally DeInit has done this; a host that skips it must not leave a job behind.
  if (fetch_thread_.joinable()) StopFetchThread();
  StopReceiver();
  if (click_timer_.IsRunning()) click_timer_.Stop();
}

int orvane_pi::Init() {
  AllowPluginModals();
  LoadSettings();
  EnsureLoaded();
  const CorpusStatus corpus_extract = PrepareCorpusArchive();
  const CorpusStatus corpus_check = VerifyCorpusArchive();
  wxLogMessage("orvane_pi corpus.zip: %s | %s", ToWx(corpus_extract.status), ToWx(corpus_check.status));
  // libcurl is set up here, on the user-interface thread, before any fetch thread.
  HttpGlobalInit();
  SetFetchShutdown(false);
  WriteLoadLine();

  canvas_ = GetOCPNCanvasWindow();
  tool_id_ = InsertPlugInTool(wxEmptyString, g_tool_bitmap, g_plugin_bitmap, wxITEM_NORMAL, TrWx("Orvane"),
                              TrWx("NAVTEX / MSI warnings on chart"), nullptr, -1, 0, this);

  // Building the window switches the overlay on with no range limit.
  dialog_ = new NtDialog(canvas_, this);
  dialog_->Hide();

  if (canvas_) {
    click_timer_.SetOwner(canvas_, kClickTimerId);
    canvas_->Bind(wxEVT_TIMER, &orvane_pi::OnClickTimer, this, kClickTimerId);
  }

  // A notice from reading the settings file leads the first status line.
  const std::string settings_notice = status_text_;
  std::string cached;
  if (ReadNavareaCache(3, &cached)) {
    current_navarea_ = 3;
    store_ = ParseBulletin(cached);
    status_text_ = FromWx(wxString::Format(TrWx("cache NAVAREA III \xE2\x80\x94 %zu msgs"), store_.size()));
  } else {
    status_text_ = Tr("Idle \xE2\x80\x94 Fetch selected NAVAREA(s)");
    LoadSampleCorpus();
  }
  if (!settings_notice.empty()) status_text_ = settings_notice + " | " + status_text_;

  dialog_->SetShowChecked(settings_.show);
  dialog_->SyncFilterControls(settings_.show, settings_.range_all, settings_.range_nm, settings_.route_filter);
  dialog_->SetNavareaChecks(settings_.navarea_mask);
  dialog_->RefreshList();
  SyncFetchSchedule();

  RefreshStatus();
  own_area_fetch_done_ = true;
  // The ship counts as being in the start-up NAVAREA until a fix says otherwise.
  ship_navarea_ = current_navarea_;
  StartFetch();
  StartReceiver();
  return kOrvaneCapabilities;
}

bool orvane_pi::DeInit() {
  // A dialog still up (the host closing with it open) is ended first; its
  // caller returns without touching this object.
  const bool modal_running = OpenPluginModals() > 0;
  EndPluginModals();
  SaveSettings();
  // A fetch still running stops waiting and requesting, and can no longer
  // reach this object or its window.
  StopFetchThread();
  StopReceiver();
  if (click_timer_.IsRunning()) click_timer_.Stop();
  if (canvas_) canvas_->Unbind(wxEVT_TIMER, &orvane_pi::OnClickTimer, this, kClickTimerId);
  if (dialog_) {
    dialog_->StopFetchTimer();
    dialog_->Close(false);
    // A modal opened from the window's own handler is still on the stack:
    // the window goes at the next idle time, after that handler has returned.
    if (modal_running) {
      dialog_->Hide();
      dialog_->Destroy();
    } else {
      delete dialog_;
    }
    dialog_ = nullptr;
  }
  return true;
}

wxBitmap* orvane_pi::GetPlugInBitmap() { return g_plugin_bitmap; }
wxString orvane_pi::GetCommonName() { return "Orvane"; }
wxString orvane_pi::GetShortDescription() { return TrWx("NAVTEX/MSI chart overlay via Quorvant"); }
wxString orvane_pi::GetLongDescription() {
  return TrWx(
      "Orvane MSI chart overlay via Quorvant.\nMulti-NAVAREA fetch (I-XXI), OpenGL overlays, category colors,\n"
      "message list, export report, arrival log.\n518 kHz international / 490 kHz national-local where available.");
}

void orvane_pi::ShowPreferencesDialog(wxWindow* parent) {
  // False when DeInit closed the dialog: this object is going away.
  if (ShowSettingsDialog(parent, settings_start_page_)) settings_start_page_ = 0;
}

std::string orvane_pi::PurgeStaleCache() {
  SetStatusText(orvane::PurgeStaleCache(&Tr));
  return status_text_;
}

std::string orvane_pi::PurgeAllCache() {
  SetStatusText(orvane::PurgeAllCache(&Tr));
  return status_text_;
}

void orvane_pi::SetStatusText(const std::string& text) {
  status_text_ = text;
  RefreshStatus();
}

void orvane_pi::OnToolbarToolCallback(int) {
  const int64_t now = NowUtcMs();
  const int64_t since = now - last_click_ms_;
  if (last_click_ms_ != 0 && since >= 0 && since < kClickBurstMs)
    ++click_count_;
  else
    click_count_ = 1;
  last_click_ms_ = now;
  click_timer_.Start(kClickBurstMs, wxTIMER_ONE_SHOT);
}

void orvane_pi::OnClickTimer(wxTimerEvent& event) {
  if (event.GetId() != kClickTimerId) {
    event.Skip();
    return;
  }
  OnClickBurstEnd();
}

void orvane_pi::OnClickBurstEnd() {
  const int n = click_count_;
  click_count_ = 0;
  last_click_ms_ = 0;
  if (n < 1) return;
  if (n == 1) {
    const bool show = !dialog_ || !dialog_->IsShown();
    SetShow(show);
    if (!dialog_) return;
    dialog_->SetShowChecked(show);
    if (!show) {
      dialog_->Hide();
    } else {
      dialog_->RefreshList();
      dialog_->Show();
      dialog_->Raise();
    }
  } else {
    ShowSettingsDialog(canvas_, n == 2 ? 0 : 1);
  }
}

void orvane_pi::SetPositionFixEx(PlugIn_Position_Fix_Ex& pfix) {
  own_lat_ = pfix.Lat;
  own_lon_ = pfix.Lon;
  have_fix_ = true;
  const int a = NavareaOf(pfix.Lat, pfix.Lon);
  const int64_t now = NowUtcMs();
  // Compared with where the ship was, not with the current NAVAREA, which
  // every fetch sets to its first id.
  if (a > 0 && a != ship_navarea_) {
    const int64_t since = now - last_navarea_change_ms_;
    if (last_navarea_change_ms_ != 0 && since >= 0 && since < kNavareaChangeGapMs) {
      // Damps flapping at a NAVAREA border.
      if (last_status_refresh_ms_ == 0 || now - last_status_refresh_ms_ >= kFixStatusGapMs) RefreshStatus();
      return;
    }
    last_navarea_change_ms_ = now;
    own_area_fetch_done_ = false;
    ship_navarea_ = a;
    current_navarea_ = a;
  }
  if (!own_area_fetch_done_ && current_navarea_ > 0 && settings_.navarea_auto) {
    own_area_fetch_done_ = true;
    StartFetch();
    return;
  }
  const int64_t since_status = now - last_status_refresh_ms_;
  if (last_status_refresh_ms_ != 0 && (since_status < kFixStatusGapMs)) return;
  last_status_refresh_ms_ = now;
  RefreshStatus();
}

void orvane_pi::RefreshStatus() {
  if (dialog_) dialog_->UpdateStatus();
  RequestCanvasRefresh();
}

void orvane_pi::RequestCanvasRefresh() {
  const int64_t now = NowUtcMs();
  if (last_canvas_refresh_ms_ != 0 && now - last_canvas_refresh_ms_ < kCanvasRefreshGapMs) return;
  last_canvas_refresh_ms_ = now;
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::LoadBulletinText(const std::string& text) {
  const MessageStore previous = store_;
  store_ = ParseBulletin(text);
  WriteArrivalLog(previous, store_);  // a log that cannot be written is skipped
  RunSarAlarm(previous);
  RefreshStatus();
}

void orvane_pi::RunSarAlarm(const MessageStore& previous) {
  const int n = CountNewSarMessages(previous, store_);
  if (n == 0) return;
  ++sar_alarms_;
  wxBell();
  status_text_ = FromWx(wxString::Format(TrWx("SAR ALARM \xE2\x80\x94 %d new B2=D message(s)"), n));
  if (dialog_) dialog_->SetHoverText(ToWx(status_text_));
}

void orvane_pi::LoadSampleCorpus() {
  if (current_navarea_ < 1) current_navarea_ = 3;
  LoadBulletinText(std::string(kSampleBulletin, kSampleBulletinSize));
  status_text_ = Tr("sample corpus (offline)");
  RefreshStatus();
}

void orvane_pi::LoadSettings() {
  WxSettingsFile file(SettingsFilePath());
  if (!file.notice().empty()) {
    wxLogMessage("orvane_pi: %s", ToWx(file.notice()));
    status_text_ = file.notice();
  }
  const SettingsLoadNotes notes = LoadSettingsFrom(file, &settings_);
  if (notes.mandatory_types_reenabled) wxLogMessage("orvane_pi: F008 mandatory chart buckets re-enabled from config");
}

void orvane_pi::SaveSettings() {
  WxSettingsFile file(SettingsFilePath());
  SaveSettingsTo(file, settings_);
}

void orvane_pi::SyncFetchSchedule() {
  if (!dialog_) return;
  if (settings_.fetch_schedule_enabled)
    dialog_->StartFetchTimer();
  else
    dialog_->StopFetchTimer();
}

void orvane_pi::SetCorridorNm(double nm) {
  settings_.corridor_nm = LimitCorridorNm(nm);
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::SetFetchIntervalMin(int minutes) {
  settings_.fetch_interval_min = LimitFetchIntervalMin(minutes);
  SaveSettings();
  SyncFetchSchedule();
}

void orvane_pi::SetFetchScheduleEnabled(bool on) {
  settings_.fetch_schedule_enabled = on;
  SaveSettings();
  SyncFetchSchedule();
}

// A fetch job copies these when it starts; nothing else follows a change.
void orvane_pi::SetNavareaAuto(bool on) {
  settings_.navarea_auto = on;
  SaveSettings();
}
void orvane_pi::SetCoastalFeedsEnabled(bool on) {
  settings_.coastal_feeds_enabled = on;
  SaveSettings();
}
void orvane_pi::SetAdjacentPrefetch(bool on) {
  settings_.adjacent_prefetch = on;
  SaveSettings();
}
void orvane_pi::SetExtraFeedUrls(const std::string& urls) {
  settings_.extra_feed_urls = urls;
  SaveSettings();
}
void orvane_pi::SetAdmiraltyHtmlEnabled(bool on) {
  settings_.admiralty_html_enabled = on;
  SaveSettings();
}
void orvane_pi::SetNgaHtmlEnabled(bool on) {
  settings_.nga_html_enabled = on;
  SaveSettings();
}

void orvane_pi::SetIncludeArchive(bool on) {
  settings_.include_archive = on;
  PublishIncludeArchive(on);
  SaveSettings();
}

void orvane_pi::SetFetchGapMs(int ms) {
  settings_.fetch_gap_ms = LimitFetchGapMs(ms);
  PublishRequestGapMs(settings_.fetch_gap_ms);
  SaveSettings();
}

void orvane_pi::SetNavareaMask(int32_t mask) {
  settings_.navarea_mask = LimitNavareaMask(mask);
  SaveSettings();
  if (dialog_) dialog_->SetNavareaChecks(settings_.navarea_mask);
}

void orvane_pi::SetOverlayAlpha(double alpha) {
  settings_.overlay_alpha = LimitOverlayAlpha(alpha);
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::SetOverlayLineWidth(double width) {
  settings_.overlay_line_width = LimitOverlayLineWidth(width);
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::SetPatternFill(bool on) {
  settings_.pattern_fill = on;
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::SetB2Visible(char letter, bool on) {
  if (!WithB2Visible(&settings_.b2_mask, letter, on)) return;
  SaveSettings();
  RefreshStatus();
}

void orvane_pi::SetUiTheme(wxWindow* holder, int selection) {
  settings_.ui_theme = LimitUiTheme(selection);
  // By dusk and night the host's scheme wins: the dark palette.
  ApplyTheme(holder, DrawScheme() == Scheme::kDay ? settings_.ui_theme : 1);
  SaveSettings();
}

bool orvane_pi::IsTypeVisible(MsgType t) const { return orvane::IsTypeVisible(settings_.type_mask, t); }
bool orvane_pi::IsB2Visible(char letter) const { return orvane::IsB2Visible(settings_.b2_mask, letter); }
std::vector<int> orvane_pi::SelectedNavareas() const { return orvane::SelectedNavareas(settings_.navarea_mask); }
