// Parcels along the active route, and the printable report.
#include <wx/utils.h>

#include "common/clock.h"
#include "exchange/parcel.h"
#include "exchange/parcel_exchange.h"
#include "exchange/parcel_files.h"
#include "exchange/report.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"

using namespace orvane;

namespace {

// The active route's waypoints; empty for no route, no route object or no
// waypoints. The route object is released before returning.
struct ActiveRoute {
  std::string guid;
  std::string name;
  bool found = false;
  std::vector<LatLon> waypoints;
};

ActiveRoute GetActiveRoute() {
  ActiveRoute r;
  r.guid = FromWx(GetActiveRouteGUID());
  if (r.guid.empty()) return r;
  std::unique_ptr<PlugIn_Route> route = GetRoute_Plugin(ToWx(r.guid));
  if (!route) return r;
  r.found = true;
  r.name = FromWx(route->m_NameString);
  for (const PlugIn_Waypoint& w : route->waypoints) r.waypoints.emplace_back(w.m_lat, w.m_lon);
  return r;
}

}  // namespace

std::string orvane_pi::ExportParcel() {
  ParcelMeta meta;
  meta.corridor_nm = settings_.corridor_nm;
  meta.navarea_hint = current_navarea_;
  std::vector<MsiMessage> messages;
  const ActiveRoute route = GetActiveRoute();
  meta.route_id = route.guid;
  // A parcel is the warnings along a route: without one there is nothing
  // to export, and an empty file must not read as a success.
  if (route.guid.empty())
    return Tr("Parcel export refused: no active route \xE2\x80\x94 activate a route first");
  if (route.waypoints.empty())
    return Tr("Parcel export refused: the active route has no waypoints");
  meta.route_name = route.name;
  meta.note = "corridor filter applied";
  messages = CorridorMessages(store_, route.waypoints, settings_.corridor_nm);
  const std::string text = WriteParcelJson(messages, meta);
  const std::string dir = ParcelsDirectory();
  if (dir.empty()) return Tr("Parcel export failed: no cache dir");
  const std::string base = dir + "/parcel_" + FormatLocalTime(NowUtcMs(), "%Y%m%d_%H%M%S");
  std::string error;
  if (!WriteParcelFiles(base + ".json", base + ".zip", text, &error))
    return FromWx(wxString::Format(TrWx("Parcel export failed: %s"), ToWx(error)));
  status_text_ = FromWx(wxString::Format(TrWx("Parcel OK \xE2\x80\x94 %zu msgs \xE2\x86\x92 %s"), messages.size(),
                                         ToWx(base + ".zip")));
  RefreshStatus();
  return status_text_;
}

std::string orvane_pi::ImportParcel(const std::string& path) {
  std::string text, error;
  if (!LoadParcelText(path, &text, &error))
    return FromWx(wxString::Format(TrWx("Parcel import failed: %s"), ToWx(error)));
  std::vector<MsiMessage> imported;
  ParcelMeta meta;
  if (!ReadParcelJson(text, &imported, &meta, &error))
    return FromWx(wxString::Format(TrWx("Parcel import rejected: %s"), ToWx(error)));
  // No corridor, no filter, no arrival log and no alarm: a parcel is
  // someone else's selection, taken as it is.
  const ImportCounts counts = MergeImportedMessages(&store_, imported);
  status_text_ =
      FromWx(wxString::Format(TrWx("Parcel import OK \xE2\x80\x94 %zu msgs (replace %zu, add %zu) corridor=%.0f NM"),
                              imported.size(), counts.replaced, counts.added, meta.corridor_nm));
  RequestCanvasRefresh();
  RefreshStatus();
  return status_text_;
}

std::string orvane_pi::RouteCorridorHint() {
  const ActiveRoute route = GetActiveRoute();
  if (route.guid.empty())
    return Tr(
        "No active route \xE2\x80\x94 load GPX in Route Manager, activate route, then Export/Import parcel uses that "
        "corridor.");
  const std::string name = route.found ? route.name : route.guid;
  return FromWx(wxString::Format(TrWx("Active route corridor ready: %s (\xC2\xB1%.0f NM). GPX already in OpenCPN "
                                      "Route Manager feeds Export parcel."),
                                 ToWx(name), settings_.corridor_nm));
}

std::string orvane_pi::WriteReport(bool open_after) {
  std::string path;
  if (!WriteReportFile(store_, NowUtcMs(), &path))
    return FromWx(wxString::Format(TrWx("Report write failed: %s"), ToWx(path)));
  // The desktop's own program for the document; a failure to start it is
  // not reported, the report is saved all the same.
  if (open_after) wxLaunchDefaultApplication(ToWx(path));
  return FromWx(wxString::Format(TrWx("Report saved: %s"), ToWx(path)));
}
