// A host for tests: the host operations backed by state a test sets and reads.
#pragma once

#include <map>
#include <vector>

#include "orvane_host/plugin_api.h"

namespace orvane::testhost {

struct InsertedTool {
  int id;
  wxString label, short_help, long_help;
  wxBitmap* bitmap;
  wxBitmap* rollover;
  wxItemKind kind;
  int position;
  int tool_sel;
  opencpn_plugin_118* plugin;
};

struct State {
  wxWindow* canvas = nullptr;       // what GetOCPNCanvasWindow returns
  PlugIn_ViewPort viewport;         // the Mercator mapping used for pixel conversions
  wxString active_route_guid;       // empty: no active route
  std::map<wxString, PlugIn_Route> routes;
  std::vector<InsertedTool> tools;
  std::vector<wxWindow*> refresh_requests;
  int route_requests = 0;           // calls of GetRoute_Plugin
  int next_tool_id = 1001;
};

// The one host state of the test process.
State& Host();
// Back to a fresh state (no canvas, no route, nothing recorded).
void Reset();

}  // namespace orvane::testhost
