#include "test_host.h"

#include "orvane_host/mercator.h"

namespace orvane::testhost {

State& Host() {
  static State state;
  return state;
}

void Reset() { Host() = State(); }

}  // namespace orvane::testhost

using orvane::testhost::Host;

int InsertPlugInTool(wxString label, wxBitmap* bitmap, wxBitmap* bmpRollover, wxItemKind kind, wxString shortHelp,
                     wxString longHelp, wxObject*, int position, int tool_sel, opencpn_plugin_118* plugin) {
  const int id = Host().next_tool_id++;
  Host().tools.push_back({id, label, shortHelp, longHelp, bitmap, bmpRollover, kind, position, tool_sel, plugin});
  return id;
}

wxWindow* GetOCPNCanvasWindow() { return Host().canvas; }

void RequestRefresh(wxWindow* window) { Host().refresh_requests.push_back(window); }

void GetCanvasPixLL(PlugIn_ViewPort* vp, wxPoint* pp, double lat, double lon) {
  *pp = orvane::host::LatLonToPixel(vp ? *vp : Host().viewport, lat, lon);
}

void GetCanvasLLPix(PlugIn_ViewPort* vp, wxPoint p, double* plat, double* plon) {
  orvane::host::PixelToLatLon(vp ? *vp : Host().viewport, p, plat, plon);
}

wxString GetActiveRouteGUID() { return Host().active_route_guid; }

std::unique_ptr<PlugIn_Route> GetRoute_Plugin(const wxString& guid) {
  ++Host().route_requests;
  auto it = Host().routes.find(guid);
  if (it == Host().routes.end()) return nullptr;
  return std::make_unique<PlugIn_Route>(it->second);
}
