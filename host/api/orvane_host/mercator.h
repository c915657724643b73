// The Mercator pixel mapping both host programs use for their view ports.
#pragma once

#include "orvane_host/plugin_api.h"

namespace orvane::host {

// A view port centred on (clat, clon) with the given pixels per metre.
PlugIn_ViewPort MakeViewPort(double clat, double clon, double view_scale_ppm, int pix_width, int pix_height);
wxPoint LatLonToPixel(const PlugIn_ViewPort& vp, double lat, double lon);
void PixelToLatLon(const PlugIn_ViewPort& vp, wxPoint p, double* lat, double* lon);

}  // namespace orvane::host
