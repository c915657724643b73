// orvane-host: a small chart plotter that loads the Orvane plug-in, gives it
// a toolbar, a chart canvas, a position feed and an active route, and
// forwards the host callbacks.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <wx/app.h>
#include <wx/cmdline.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/dialog.h>
#include <functional>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include "chart_canvas.h"
#include "coastline.h"
#include "nmea.h"
#include "receiver/receiver_input.h"
#include "orvane_host/mercator.h"
#include "orvane_host/plugin_api.h"
#include "plugin_loader.h"
#include "route.h"

#ifndef ORVANE_DEFAULT_PLUGIN_PATH
#define ORVANE_DEFAULT_PLUGIN_PATH "liborvane_pi.so"
#endif
#ifndef ORVANE_DEFAULT_COASTLINE_PATH
#define ORVANE_DEFAULT_COASTLINE_PATH ""
#endif

namespace {

using namespace orvane::host;

// What the host operations act on; one frame per process.
struct HostState {
  wxFrame* frame = nullptr;
  ChartCanvas* canvas = nullptr;
  wxToolBar* toolbar = nullptr;
  std::map<int, opencpn_plugin_118*> tools;
  int next_tool_id = wxID_HIGHEST + 100;
  std::optional<HostRoute> route;
  bool route_active = false;
};
HostState g_host;

enum {
  ID_LOAD_ROUTE = wxID_HIGHEST + 1,
  ID_ACTIVATE_ROUTE,
  ID_DEACTIVATE_ROUTE,
  ID_PREFERENCES,
  ID_SCHEME_DAY,
  ID_SCHEME_DUSK,
  ID_SCHEME_NIGHT,
};

// An installed host finds its plug-in and base map beside itself
// (PREFIX/bin, PREFIX/lib/orvane, PREFIX/share/orvane); a host in the build
// tree uses the build tree's.
wxString Installed(const char* relative, const char* fallback) {
  const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
  const wxFileName candidate(exe.GetPath() + "/../" + relative);
  return candidate.FileExists() ? candidate.GetAbsolutePath() : wxString(fallback);
}

bool ParseLatLon(const wxString& s, double* lat, double* lon) {
  double a, b;
  const std::string t = s.ToStdString();
  char comma;
  std::istringstream in(t);
  if (!(in >> a >> comma >> b) || comma != ',' || std::fabs(a) > 90 || std::fabs(b) > 180) return false;
  *lat = a;
  *lon = b;
  return true;
}

class HostApp : public wxApp {
 public:
  bool OnInit() override {
    // Like a chart plotter's own log: plug-in log lines go to a stream, not to message boxes.
    delete wxLog::SetActiveTarget(new wxLogStderr());
    wxInitAllImageHandlers();
    wxCmdLineParser parser(argc, argv);
    parser.AddOption("", "plugin", "plug-in library to load", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "quit-after", "close cleanly after this many seconds", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "position", "fixed own-ship position LAT,LON", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "nmea", "replay the NMEA sentences of FILE: RMC and GGA fixes move the ship, every sentence "
                     "goes to a plug-in that asks for them", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "nmea-tcp", "read NMEA sentences from HOST:PORT and pass them on", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "nmea-serial", "read NMEA sentences from DEVICE[:BAUD] and pass them on",
                     wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "speed", "replay or track speed-up factor", wxCMD_LINE_VAL_DOUBLE);
    parser.AddSwitch("", "track", "sail the active route (simulated own ship)");
    parser.AddOption("", "route", "load a GPX route and make it the active route", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "coastline", "coastline file (GMT multi-segment text)", wxCMD_LINE_VAL_STRING);
    parser.AddSwitch("", "open-window", "click the plug-in's tool once after start");
    parser.AddSwitch("", "open-settings", "open the plug-in's preferences after start, as the Plug-in menu does");
    parser.AddSwitch("", "dc", "draw with a device context instead of OpenGL");
    parser.AddOption("", "screenshot", "write a PNG of the chart canvas after its first full paint",
                     wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "screenshot-screen", "write a PNG of the host's and the plug-in's windows just before closing",
                     wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "screenshot-window",
                     "write a PNG of a plug-in window (messages, fetch, overlay, colors or detail) to FILE and close",
                     wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "center", "chart centre LAT,LON", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "centre", "same as --center", wxCMD_LINE_VAL_STRING);
    parser.AddOption("", "scale", "chart scale 1:N", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "scheme", "colour scheme: day, dusk or night", wxCMD_LINE_VAL_STRING);
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
    parser.AddSwitch("h", "help", "show this help", wxCMD_LINE_OPTION_HELP);
    if (parser.Parse() != 0) return false;

    wxString plugin_path = Installed("lib/orvane/liborvane_pi.so", ORVANE_DEFAULT_PLUGIN_PATH);
    wxString coast_path = Installed("share/orvane/coastline.txt", ORVANE_DEFAULT_COASTLINE_PATH);
    wxString value;
    parser.Found("plugin", &plugin_path);
    parser.Found("coastline", &coast_path);
    parser.Found("speed", &speed_);
    if (speed_ <= 0) speed_ = 1;
    parser.Found("screenshot", &screenshot_);
    parser.Found("screenshot-screen", &screenshot_screen_);
    if (parser.Found("screenshot-window", &window_shot_)) {
      if (parser.GetParamCount() != 1 || !WindowShotPage(window_shot_)) {
        std::fprintf(stderr, "orvane-host: --screenshot-window wants messages, fetch, overlay, colors or detail, "
                             "then the PNG file\n");
        return false;
      }
      window_shot_file_ = parser.GetParam(0);
    }

    BuildFrame(!parser.Found("dc"));
    if (!coast_path.empty()) g_host.canvas->set_coastline(ReadCoastline(coast_path.ToStdString()));
    // A route centres the chart on its start unless --center says otherwise.
    if (parser.Found("route", &value) && !LoadRoute(value)) return Fail();
    if (parser.Found("center", &value) || parser.Found("centre", &value)) {
      double lat, lon;
      if (!ParseLatLon(value, &lat, &lon)) {
        std::fprintf(stderr, "orvane-host: --center wants LAT,LON in degrees\n");
        return Fail();
      }
      g_host.canvas->CentreOn(lat, lon);
    }
    double scale = 0;
    if (parser.Found("scale", &scale)) {
      if (!(scale >= 1)) {
        std::fprintf(stderr, "orvane-host: --scale wants N of the chart scale 1:N\n");
        return Fail();
      }
      g_host.canvas->SetScalePpm(PpmForChartScale(scale));
    }
    g_host.canvas->on_first_full_paint = [this] { OnFirstFullPaint(); };
    if (parser.Found("scheme", &value)) {
      if (value == "day") scheme_ = PI_SCHEME_DAY;
      else if (value == "dusk") scheme_ = PI_SCHEME_DUSK;
      else if (value == "night") scheme_ = PI_SCHEME_NIGHT;
      else {
        std::fprintf(stderr, "orvane-host: --scheme wants day, dusk or night\n");
        return Fail();
      }
    }

    std::string error;
    if (!loader_.Open(plugin_path.ToStdString(), &error)) {
      std::fprintf(stderr, "orvane-host: cannot load %s: %s\n", plugin_path.utf8_str().data(), error.c_str());
      return Fail();
    }
    const int caps = loader_.Start(this);
    g_host.canvas->set_plugin(loader_.plugin());
    ApplyScheme(scheme_);
    g_host.toolbar->Realize();
    frame_->SetStatusText(wxString::Format("%s loaded (capabilities 0x%08X)", loader_.plugin()->GetCommonName(),
                                           static_cast<unsigned>(caps)), 0);

    if (parser.Found("position", &value)) {
      double lat, lon;
      if (!ParseLatLon(value, &lat, &lon)) {
        std::fprintf(stderr, "orvane-host: --position wants LAT,LON in degrees\n");
        return Fail();
      }
      fixed_ = std::make_pair(lat, lon);
      StartFixTimer(1000);
    } else if (parser.Found("nmea", &value)) {
      std::ifstream in(value.ToStdString(), std::ios::binary);
      std::stringstream ss;
      ss << in.rdbuf();
      nmea_ = ReadNmeaFixes(ss.str());
      // The other sentences (a NAVTEX receiver's NRX among them) go to the
      // plug-in when it asked for sentences.
      if (caps & WANTS_NMEA_SENTENCES) {
        std::istringstream lines(ss.str());
        std::string line;
        while (std::getline(lines, line) && sentences_.size() < 100000) {
          while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
          if (!line.empty() && (line[0] == '$' || line[0] == '!') && !ParseNmeaFix(line)) sentences_.push_back(line);
        }
      }
      if (!in || (nmea_.empty() && sentences_.empty())) {
        std::fprintf(stderr, "orvane-host: no NMEA sentences in %s\n", value.utf8_str().data());
        return Fail();
      }
      if (!nmea_.empty()) StartFixTimer(0);
      if (!sentences_.empty()) {
        sentence_timer_.Bind(wxEVT_TIMER, &HostApp::OnSentenceTimer, this);
        sentence_timer_.StartOnce(1);
      }
    }
    // A live source: its sentences are passed on as they come.
    wxString net;
    if (parser.Found("nmea-tcp", &net) || parser.Found("nmea-serial", &net)) {
      orvane::ReceiverConfig c;
      const std::string spec = net.ToStdString();
      if (parser.Found("nmea-tcp")) {
        c.source = orvane::ReceiverSource::kTcp;
        c.tcp_endpoint = spec;
      } else {
        c.source = orvane::ReceiverSource::kSerial;
        const size_t colon = spec.rfind(':');
        c.serial_device = colon == std::string::npos ? spec : spec.substr(0, colon);
        if (colon != std::string::npos) c.baud = std::atoi(spec.c_str() + colon + 1);
      }
      nmea_input_.SetLineSink([this](const std::string& line) {
        CallAfter([this, line] {
          wxString s = wxString::FromUTF8(line.c_str());
          if (loader_.plugin() && !quitting_) loader_.plugin()->SetNMEASentence(s);
        });
      });
      std::string error;
      if (!nmea_input_.Start(c, [](orvane::ReceiverBatch) {}, &error)) {
        std::fprintf(stderr, "orvane-host: %s\n", error.c_str());
        return Fail();
      }
    } else if (parser.Found("track")) {
      if (!g_host.route) {
        std::fprintf(stderr, "orvane-host: --track needs a route (--route FILE.gpx)\n");
        return Fail();
      }
      tracking_ = true;
      StartFixTimer(0);
    }

    if (parser.Found("open-window")) {
      CallAfter([this] {
        if (!ClickToolOnce()) return;
        AwaitMessageWindow([this](wxTopLevelWindow* win) {
          if (win) PlaceMessageWindow(win);
        });
      });
    }
    if (parser.Found("open-settings"))
      CallAfter([this] {
        if (loader_.plugin()) loader_.plugin()->ShowPreferencesDialog(frame_);
      });
    double quit_after = 0;
    if (parser.Found("quit-after", &quit_after)) {
      quit_timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Quit(); });
      quit_timer_.StartOnce(std::max(1, static_cast<int>(quit_after * 1000)));
    }
    return true;
  }

  int OnExit() override { return exit_code_; }

 private:
  PI_ColorScheme scheme_ = PI_SCHEME_DAY;
  bool Fail() {
    if (frame_) frame_->Destroy();
    frame_ = nullptr;
    return false;
  }

  void BuildFrame(bool opengl) {
    frame_ = new wxFrame(nullptr, wxID_ANY, "orvane-host", wxDefaultPosition, wxSize(1180, 780));
    g_host.frame = frame_;
    auto* file = new wxMenu;
    file->Append(ID_LOAD_ROUTE, "Load &route...\tCtrl-R");
    file->AppendSeparator();
    file->Append(wxID_EXIT, "&Quit\tCtrl-Q");
    auto* route = new wxMenu;
    route->Append(ID_ACTIVATE_ROUTE, "&Activate route");
    route->Append(ID_DEACTIVATE_ROUTE, "&Deactivate route");
    auto* plugin = new wxMenu;
    plugin->Append(ID_PREFERENCES, "&Preferences...");
    auto* view = new wxMenu;
    view->AppendRadioItem(ID_SCHEME_DAY, "&Day");
    view->AppendRadioItem(ID_SCHEME_DUSK, "D&usk");
    view->AppendRadioItem(ID_SCHEME_NIGHT, "&Night");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(view, "&View");
    bar->Append(route, "&Route");
    bar->Append(plugin, "&Plug-in");
    frame_->SetMenuBar(bar);
    g_host.toolbar = frame_->CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    g_host.canvas = ChartCanvas::Create(frame_, opengl);
    frame_->CreateStatusBar(3);
    const int widths[] = {-3, -2, -1};
    frame_->SetStatusWidths(3, widths);
    g_host.canvas->on_status = [this](double lat, double lon, double scale) {
      frame_->SetStatusText(wxString::Format("%.4f %s  %.4f %s", std::fabs(lat), lat >= 0 ? "N" : "S",
                                             std::fabs(lon), lon >= 0 ? "E" : "W"), 1);
      frame_->SetStatusText(wxString::Format("1:%.0f", scale), 2);
    };
    frame_->Bind(wxEVT_TOOL, &HostApp::OnTool, this);
    frame_->Bind(wxEVT_MENU, &HostApp::OnLoadRoute, this, ID_LOAD_ROUTE);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { SetRouteActive(true); }, ID_ACTIVATE_ROUTE);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { SetRouteActive(false); }, ID_DEACTIVATE_ROUTE);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) {
      if (loader_.plugin()) loader_.plugin()->ShowPreferencesDialog(frame_);
    }, ID_PREFERENCES);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { Quit(); }, wxID_EXIT);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { ApplyScheme(PI_SCHEME_DAY); }, ID_SCHEME_DAY);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { ApplyScheme(PI_SCHEME_DUSK); }, ID_SCHEME_DUSK);
    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { ApplyScheme(PI_SCHEME_NIGHT); }, ID_SCHEME_NIGHT);
    frame_->Bind(wxEVT_CLOSE_WINDOW, &HostApp::OnFrameClose, this);
    frame_->Show();
  }

  // The chart plotter's colour scheme: its own chart and toolbar dimmed,
  // the plug-in told, the View menu showing it.
  void ApplyScheme(PI_ColorScheme scheme) {
    scheme_ = scheme;
    const double level = scheme == PI_SCHEME_NIGHT ? 0.3 : scheme == PI_SCHEME_DUSK ? 0.55 : 1.0;
    g_host.canvas->set_brightness(level);
    if (g_host.toolbar) {
      const wxColour day = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
      g_host.toolbar->SetBackgroundColour(level < 1.0 ? wxColour(static_cast<unsigned char>(day.Red() * level * 0.5),
                                                                 static_cast<unsigned char>(day.Green() * level * 0.5),
                                                                 static_cast<unsigned char>(day.Blue() * level * 0.5))
                                                      : day);
      g_host.toolbar->Refresh();
    }
    if (wxMenuBar* bar = frame_ ? frame_->GetMenuBar() : nullptr)
      bar->Check(scheme == PI_SCHEME_NIGHT ? ID_SCHEME_NIGHT : scheme == PI_SCHEME_DUSK ? ID_SCHEME_DUSK : ID_SCHEME_DAY,
                 true);
    if (loader_.plugin()) loader_.plugin()->SetColorScheme(scheme);
  }

  bool LoadRoute(const wxString& path) {
    GpxResult r = ReadGpxRoute(path.ToStdString());
    if (!r.ok) {
      std::fprintf(stderr, "orvane-host: %s\n", r.error.c_str());
      return false;
    }
    g_host.route = std::move(r.route);
    SetRouteActive(true);
    g_host.canvas->CentreOn(g_host.route->points.front().first, g_host.route->points.front().second);
    return true;
  }

  void SetRouteActive(bool on) {
    g_host.route_active = on && g_host.route.has_value();
    g_host.canvas->set_route(g_host.route_active ? &*g_host.route : nullptr);
  }

  void OnLoadRoute(wxCommandEvent&) {
    wxFileDialog dlg(frame_, "Load route", "", "", "GPX files (*.gpx)|*.gpx", wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK) return;
    if (!LoadRoute(dlg.GetPath())) wxMessageBox("This file holds no usable GPX route.", "orvane-host", wxOK, frame_);
  }

  void StartFixTimer(int first_ms) {
    fix_timer_.Bind(wxEVT_TIMER, &HostApp::OnFixTimer, this);
    fix_timer_.StartOnce(std::max(1, first_ms));
  }

  void SendFix(double lat, double lon, double sog, double cog) {
    PlugIn_Position_Fix_Ex fix;
    fix.Lat = lat;
    fix.Lon = lon;
    fix.Sog = sog;
    fix.Cog = cog;
    fix.FixTime = time(nullptr);
    g_host.canvas->set_own_ship(lat, lon);
    if (loader_.plugin()) loader_.plugin()->SetPositionFixEx(fix);
  }

  void OnFixTimer(wxTimerEvent&) {
    if (fixed_) {
      SendFix(fixed_->first, fixed_->second, 0, 0);
      fix_timer_.StartOnce(1000);
    } else if (!nmea_.empty()) {
      const NmeaFix& f = nmea_[nmea_next_];
      SendFix(f.lat, f.lon, f.sog, f.cog);
      if (++nmea_next_ < nmea_.size())
        fix_timer_.StartOnce(std::max(1, static_cast<int>(1000 * ReplayDelaySeconds(f, nmea_[nmea_next_], speed_))));
    } else if (tracking_ && g_host.route) {
      constexpr double kKnots = 12.0;
      track_nm_ += kKnots / 3600.0 * speed_;
      const auto p = PositionAlong(*g_host.route, track_nm_);
      SendFix(p.first, p.second, kKnots, 0);
      if (track_nm_ < RouteLengthNm(*g_host.route)) fix_timer_.StartOnce(1000);
    }
  }

  // Sentences of the replayed file other than fixes, twenty a second (times
  // the replay speed), to the plug-in.
  void OnSentenceTimer(wxTimerEvent&) {
    if (sentence_next_ >= sentences_.size() || quitting_) return;
    wxString s = wxString::FromUTF8(sentences_[sentence_next_++].c_str());
    if (loader_.plugin()) loader_.plugin()->SetNMEASentence(s);
    if (sentence_next_ < sentences_.size()) sentence_timer_.StartOnce(std::max(1, static_cast<int>(50 / speed_)));
  }

  void OnTool(wxCommandEvent& e) {
    auto it = g_host.tools.find(e.GetId());
    if (it != g_host.tools.end()) it->second->OnToolbarToolCallback(e.GetId());
  }

  void Quit() {
    if (quitting_) return;
    quitting_ = true;
    nmea_input_.Stop();  // no sentence arrives once closing has begun
    for (const char* prefix : {"Status:", "Last fetch:"}) {
      const wxString line = PluginLabel(prefix);
      if (!line.empty()) std::printf("orvane-host: plug-in %s\n", line.utf8_str().data());
    }
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal())
        std::printf("orvane-host: quitting with the dialog \"%s\" open\n", d->GetTitle().utf8_str().data());
    if (!screenshot_screen_.empty()) ReportShot(GrabScreen(ShownWindowsRect(), screenshot_screen_), screenshot_screen_);
    std::fflush(stdout);
    if (frame_) frame_->Close(true);
  }

  void ReportShot(bool ok, const wxString& path) {
    if (ok) {
      std::printf("orvane-host: screenshot written to %s\n", path.utf8_str().data());
    } else {
      std::fprintf(stderr, "orvane-host: cannot write the screenshot %s\n", path.utf8_str().data());
      exit_code_ = 1;
    }
    std::fflush(stdout);
  }

  // The part of the screen the host's and the plug-in's windows cover.
  static wxRect ShownWindowsRect() {
    wxRect all;
    for (wxWindow* w : wxTopLevelWindows)
      if (w->IsShown()) all = all.IsEmpty() ? w->GetScreenRect() : all.Union(w->GetScreenRect());
    return all.Intersect(wxRect(wxPoint(0, 0), wxGetDisplaySize()));
  }

  // A part of the screen (all of it for an empty rectangle), so that the
  // plug-in's own windows are in the picture too.
  static bool GrabScreen(wxRect rect, const wxString& path) {
    wxScreenDC screen;
    if (rect.IsEmpty()) rect = wxRect(wxPoint(0, 0), screen.GetSize());
    wxBitmap bmp(rect.width, rect.height, 24);
    {
      wxMemoryDC mem(bmp);
      mem.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    return bmp.SaveFile(path, wxBITMAP_TYPE_PNG);
  }

  void OnFirstFullPaint() {
    if (!screenshot_.empty()) ReportShot(g_host.canvas->SaveCanvasPng(screenshot_), screenshot_);
    if (!window_shot_.empty()) StartWindowShot();
  }

  // The message window's page for a --screenshot-window name; the detail
  // view is shown over the messages page.
  static bool WindowShotPage(const wxString& name, int* page = nullptr) {
    static const char* const kNames[] = {"messages", "fetch", "overlay", "colors", "detail"};
    for (int i = 0; i < 5; ++i)
      if (name == kNames[i]) {
        if (page) *page = i == 4 ? 0 : i;
        return true;
      }
    return false;
  }

  static wxWindow* FindChild(wxWindow* w, const std::function<bool(wxWindow*)>& pred) {
    if (pred(w)) return w;
    for (wxWindow* c : w->GetChildren())
      if (wxWindow* f = FindChild(c, pred)) return f;
    return nullptr;
  }

  // The plug-in's message window: the top-level window with a notebook that
  // is not the host's own frame.
  wxTopLevelWindow* MessageWindow() const {
    for (wxWindow* w : wxTopLevelWindows)
      if (w != frame_ && w->IsShown() && FindChild(w, [](wxWindow* c) { return dynamic_cast<wxNotebook*>(c) != nullptr; }))
        return dynamic_cast<wxTopLevelWindow*>(w);
    return nullptr;
  }

  // A line the plug-in shows in its message window ("Status:", "Last fetch:").
  wxString PluginLabel(const wxString& prefix) const {
    for (wxWindow* w : wxTopLevelWindows)
      if (w != frame_)
        if (wxWindow* t = FindChild(w, [&prefix](wxWindow* c) {
              auto* s = dynamic_cast<wxStaticText*>(c);
              return s && s->GetLabel().StartsWith(prefix);
            }))
          return static_cast<wxStaticText*>(t)->GetLabel();
    return wxString();
  }

  // Puts the plug-in's window beside the chart when the screen has room, so
  // that neither hides the other.
  void PlaceMessageWindow(wxTopLevelWindow* win) {
    if (!frame_) return;
    const wxRect chart = frame_->GetScreenRect();
    if (chart.GetRight() + 1 + win->GetSize().x <= wxGetDisplaySize().x) win->Move(chart.GetRight() + 1, chart.y);
  }

  // The plug-in's window appears a moment after the click: then() gets it
  // once it is shown, or null after about ten seconds without it.
  void AwaitMessageWindow(std::function<void(wxTopLevelWindow*)> then) {
    window_tries_ = 0;
    window_timer_.Bind(wxEVT_TIMER, [this, then](wxTimerEvent&) {
      wxTopLevelWindow* win = MessageWindow();
      if (!win && ++window_tries_ < 40) return;
      window_timer_.Stop();
      then(win);
    });
    window_timer_.Start(250);
  }

  // The plug-in's first tool, clicked at most once in a run: a second click
  // within the plug-in's burst time would read as a double click, which
  // opens the settings instead of the message window.
  bool ClickToolOnce() {
    if (tool_clicked_) return false;
    const int id = g_host.tools.empty() ? -1 : g_host.tools.begin()->first;
    if (id < 0) return false;
    tool_clicked_ = true;
    g_host.tools[id]->OnToolbarToolCallback(id);
    return true;
  }

  void StartWindowShot() {
    if (!MessageWindow()) ClickToolOnce();
    AwaitMessageWindow([this](wxTopLevelWindow* win) {
      if (!win) {
        std::fprintf(stderr, "orvane-host: the plug-in opened no message window\n");
        exit_code_ = 1;
        return Quit();
      }
      PlaceMessageWindow(win);
      win->Raise();
      std::printf("orvane-host: plug-in window \"%s\"\n", win->GetTitle().utf8_str().data());
      int page = 0;
      WindowShotPage(window_shot_, &page);
      if (auto* book = dynamic_cast<wxNotebook*>(
              FindChild(win, [](wxWindow* c) { return dynamic_cast<wxNotebook*>(c) != nullptr; })))
        book->SetSelection(page);
      // Lets the page lay itself out and paint.
      shot_timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { window_shot_ == "detail" ? ShootDetail() : ShootWindow(); });
      shot_timer_.StartOnce(800);
    });
  }

  void ShootWindow() {
    wxTopLevelWindow* win = MessageWindow();
    ReportShot(win && GrabScreen(win->GetScreenRect(), window_shot_file_), window_shot_file_);
    Quit();
  }

  // Opens the first listed message's detail view as a double-click would;
  // the view is modal, so it is photographed and closed from a timer.
  void ShootDetail() {
    wxTopLevelWindow* win = MessageWindow();
    auto* list = win ? dynamic_cast<wxListCtrl*>(
                           FindChild(win, [](wxWindow* c) { return dynamic_cast<wxListCtrl*>(c) != nullptr; }))
                     : nullptr;
    if (!list || list->GetItemCount() == 0) {
      std::fprintf(stderr, "orvane-host: the message list is empty\n");
      exit_code_ = 1;
      return Quit();
    }
    detail_timer_.Bind(wxEVT_TIMER, [this, win](wxTimerEvent&) {
      for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal()) {
          ReportShot(GrabScreen(d->GetScreenRect(), window_shot_file_), window_shot_file_);
          d->EndModal(wxID_OK);
          return;
        }
      ReportShot(false, window_shot_file_);
    });
    detail_timer_.StartOnce(800);
    list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
    activate.SetEventObject(list);
    activate.SetIndex(0);
    list->GetEventHandler()->ProcessEvent(activate);
    CallAfter([this] { Quit(); });
  }

  void OnFrameClose(wxCloseEvent& e) {
    quit_timer_.Stop();
    shot_timer_.Stop();
    window_timer_.Stop();
    detail_timer_.Stop();
    fix_timer_.Stop();
    g_host.canvas->set_plugin(nullptr);
    loader_.Stop();  // DeInit, then destroy_pi
    g_host = HostState();
    frame_ = nullptr;
    e.Skip();
  }

  wxFrame* frame_ = nullptr;
  PluginLoader loader_;
  wxTimer quit_timer_, fix_timer_;
  double speed_ = 1.0;
  std::optional<std::pair<double, double>> fixed_;
  std::vector<NmeaFix> nmea_;
  size_t nmea_next_ = 0;
  std::vector<std::string> sentences_;
  size_t sentence_next_ = 0;
  wxTimer sentence_timer_;
  orvane::ReceiverInput nmea_input_;
  bool tracking_ = false;
  double track_nm_ = 0;
  wxString screenshot_, screenshot_screen_, window_shot_, window_shot_file_;
  wxTimer shot_timer_, detail_timer_, window_timer_;
  bool quitting_ = false;
  bool tool_clicked_ = false;
  int window_tries_ = 0;
  int exit_code_ = 0;
};

}  // namespace

wxIMPLEMENT_APP(HostApp);

// Host operations the plug-in calls.

int InsertPlugInTool(wxString label, wxBitmap* bitmap, wxBitmap* bmpRollover, wxItemKind kind, wxString shortHelp,
                     wxString longHelp, wxObject* clientData, int position, int tool_sel,
                     opencpn_plugin_118* plugin) {
  if (!g_host.toolbar || !bitmap) return -1;
  const int id = g_host.next_tool_id++;
  g_host.toolbar->AddTool(id, label, *bitmap, bmpRollover ? *bmpRollover : wxNullBitmap, kind, shortHelp,
                          longHelp, clientData);
  g_host.toolbar->Realize();
  g_host.tools[id] = plugin;
  return id;
}

wxWindow* GetOCPNCanvasWindow() { return g_host.canvas ? g_host.canvas->window() : nullptr; }

void RequestRefresh(wxWindow* window) {
  if (window) window->Refresh(false);
}

void GetCanvasPixLL(PlugIn_ViewPort* vp, wxPoint* pp, double lat, double lon) { *pp = orvane::host::LatLonToPixel(*vp, lat, lon); }

void GetCanvasLLPix(PlugIn_ViewPort* vp, wxPoint p, double* plat, double* plon) { orvane::host::PixelToLatLon(*vp, p, plat, plon); }

wxString GetActiveRouteGUID() {
  return g_host.route_active ? wxString::FromUTF8(g_host.route->guid) : wxString();
}

std::unique_ptr<PlugIn_Route> GetRoute_Plugin(const wxString& guid) {
  if (!g_host.route || wxString::FromUTF8(g_host.route->guid) != guid) return nullptr;
  auto r = std::make_unique<PlugIn_Route>();
  r->m_GUID = guid;
  r->m_NameString = wxString::FromUTF8(g_host.route->name);
  for (const auto& [lat, lon] : g_host.route->points) {
    PlugIn_Waypoint w;
    w.m_lat = lat;
    w.m_lon = lon;
    r->waypoints.push_back(w);
  }
  return r;
}
