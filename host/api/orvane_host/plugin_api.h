// The chart plotter's plug-in interface as Orvane uses it: the plug-in base
// class with its callbacks, the records the plug-in reads, and the host
// operations it calls. Written for this project; a program that loads the
// plug-in (orvane-host, the test host) defines the host operations.
#pragma once

#include <ctime>
#include <memory>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/window.h>

class wxGLContext;

#define ORVANE_HOST_API __attribute__((visibility("default")))

// Capability bits returned by Init.
enum : int {
  WANTS_OVERLAY_CALLBACK = 0x00000001,
  WANTS_CURSOR_LATLON = 0x00000002,
  WANTS_TOOLBAR_CALLBACK = 0x00000004,
  INSTALLS_TOOLBAR_TOOL = 0x00000008,
  WANTS_NMEA_SENTENCES = 0x00000010,
  WANTS_NMEA_EVENTS = 0x00000100,
  WANTS_PREFERENCES = 0x00000800,
  WANTS_OPENGL_OVERLAY_CALLBACK = 0x00008000,
  WANTS_MOUSE_EVENTS = 0x00080000,
};

// The part of the chart being drawn. The pixel mapping belongs to the host
// (GetCanvasPixLL / GetCanvasLLPix); the plug-in reads the bounds and scale.
struct PlugIn_ViewPort {
  double clat = 0.0, clon = 0.0;  // centre, degrees
  double view_scale_ppm = 1.0;    // pixels per metre at the centre
  double rotation = 0.0;
  double chart_scale = 1.0;       // 1 : chart_scale
  int pix_width = 0, pix_height = 0;
  double lat_min = 0.0, lat_max = 0.0, lon_min = 0.0, lon_max = 0.0;
  bool bValid = false;
};

struct PlugIn_Position_Fix_Ex {
  double Lat = 0.0, Lon = 0.0;
  double Cog = 0.0, Sog = 0.0, Var = 0.0, Hdm = 0.0, Hdt = 0.0;
  time_t FixTime = 0;
  int nSats = 0;
};

struct PlugIn_Waypoint {
  double m_lat = 0.0, m_lon = 0.0;
  wxString m_GUID, m_MarkName;
};

struct PlugIn_Route {
  wxString m_NameString;  // may be empty; callers then show the GUID
  wxString m_GUID;
  std::vector<PlugIn_Waypoint> waypoints;
};

// The chart plotter's colour schemes: the chart and everything over it
// dims at dusk and at night.
enum PI_ColorScheme : int { PI_SCHEME_DAY = 1, PI_SCHEME_DUSK = 2, PI_SCHEME_NIGHT = 3 };

class ORVANE_HOST_API opencpn_plugin_118 {
 public:
  explicit opencpn_plugin_118(void* host) : m_host(host) {}
  virtual ~opencpn_plugin_118() = default;

  virtual int Init() { return 0; }
  virtual bool DeInit() { return true; }
  virtual int GetAPIVersionMajor() { return 1; }
  virtual int GetAPIVersionMinor() { return 18; }
  virtual int GetPlugInVersionMajor() { return 0; }
  virtual int GetPlugInVersionMinor() { return 0; }
  virtual wxBitmap* GetPlugInBitmap() { return nullptr; }
  virtual wxString GetCommonName() { return wxString(); }
  virtual wxString GetShortDescription() { return wxString(); }
  virtual wxString GetLongDescription() { return wxString(); }
  virtual void ShowPreferencesDialog(wxWindow* parent) {}
  virtual void SetCursorLatLon(double lat, double lon) {}
  virtual void OnToolbarToolCallback(int id) {}
  virtual void SetPositionFixEx(PlugIn_Position_Fix_Ex& pfix) {}
  // Every NMEA sentence the host receives, for a plug-in that asked for them.
  virtual void SetNMEASentence(wxString& sentence) {}
  virtual bool MouseEventHook(wxMouseEvent& event) { return false; }
  virtual void SetColorScheme(PI_ColorScheme scheme) {}
  virtual bool RenderGLOverlayMultiCanvas(wxGLContext* pcontext, PlugIn_ViewPort* vp, int canvas_index,
                                          int priority) {
    return false;
  }
  virtual bool RenderOverlayMultiCanvas(wxDC& dc, PlugIn_ViewPort* vp, int canvas_index, int priority) {
    return false;
  }

 protected:
  void* m_host;
};

// Host operations. The plug-in library leaves them undefined; the loading
// program provides them.
ORVANE_HOST_API int InsertPlugInTool(wxString label, wxBitmap* bitmap, wxBitmap* bmpRollover, wxItemKind kind,
                                     wxString shortHelp, wxString longHelp, wxObject* clientData, int position,
                                     int tool_sel, opencpn_plugin_118* plugin);
ORVANE_HOST_API wxWindow* GetOCPNCanvasWindow();
ORVANE_HOST_API void RequestRefresh(wxWindow* window);
ORVANE_HOST_API void GetCanvasPixLL(PlugIn_ViewPort* vp, wxPoint* pp, double lat, double lon);
ORVANE_HOST_API void GetCanvasLLPix(PlugIn_ViewPort* vp, wxPoint p, double* plat, double* plon);
ORVANE_HOST_API wxString GetActiveRouteGUID();
// An owned copy of the route, or null when there is none with that GUID.
ORVANE_HOST_API std::unique_ptr<PlugIn_Route> GetRoute_Plugin(const wxString& guid);

// The two functions a plug-in library exports.
extern "C" {
typedef opencpn_plugin_118* (*create_pi_fn)(void* host);
typedef void (*destroy_pi_fn)(opencpn_plugin_118* plugin);
}
