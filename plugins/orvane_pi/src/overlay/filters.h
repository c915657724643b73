// Which messages the chart shows and counts, which one the mouse touches,
// and the hover line. Pure: the plug-in hands in its settings, the own-ship
// fix and the active route's waypoints, fetched once per pass.
#pragma once

#include <string>
#include <vector>

#include "parse/msi_model.h"
#include "settings/settings.h"

namespace orvane {

class GeomIndex;

constexpr double kEarthDiameterNm = 6880.13;  // twice 3440.065 NM
constexpr double kHitPointNm = 2.0;           // points and lines answer a click this close
constexpr double kHitCircleMinNm = 0.5;       // a tiny circle still answers a click this close
constexpr double kHoverNm = 12.0;             // the hover looks this far from an anchor
constexpr size_t kHoverTextBytes = 160;

// Great-circle distance in nautical miles (haversine on a sphere).
double DistanceNm(double lat1, double lon1, double lat2, double lon2);

// Distance from a point to the leg a-b: the cross-track distance when the
// point lies beside the leg, else the distance to the nearer end.
double DistanceToLegNm(double lat, double lon, const LatLon& a, const LatLon& b);
// Distance from a point to a route: to its nearest leg; one waypoint is a
// route of no legs. Empty route: a very large number.
double DistanceToRouteNm(double lat, double lon, const std::vector<LatLon>& route);

// Crossing test in degrees; longitudes unwrapped across the antimeridian.
bool PolygonContains(const std::vector<LatLon>& ring, double lat, double lon);

// How far a geometry is from the ship: a circle counts to its rim, a
// polygon around the ship is 0, otherwise its nearest point (on its edges).
double GeomDistanceNm(const MsiGeom& g, double lat, double lon);
// How far a geometry is from a route: its nearest point to the nearest leg,
// circles to their rim; 0 when the route crosses a line or area, or a
// waypoint lies inside an area.
double GeomRouteDistanceNm(const MsiGeom& g, const std::vector<LatLon>& route);

// True when a geometry of m comes within corridor_nm of the route. An
// empty route holds everything, as the chart's route filter does.
bool MessageInCorridor(const MsiMessage& m, const std::vector<LatLon>& route, double corridor_nm);

// What a visibility pass knows; the route is asked of the host once per pass.
struct FilterContext {
  const Settings* settings = nullptr;
  bool has_fix = false;
  double own_lat = 0.0, own_lon = 0.0;
  // The active route's waypoints; an empty list holds no filter.
  std::vector<LatLon> route;
};

// The message's own state, B2 letter and category (no range, no route).
bool PassesMessageFilters(const MsiMessage& m, const Settings& s);
bool InRange(const MsiMessage& m, const FilterContext& ctx);
bool InRouteCorridor(const MsiMessage& m, const FilterContext& ctx);
bool IsVisible(const MsiMessage& m, const FilterContext& ctx);
size_t CountVisible(const MessageStore& store, const FilterContext& ctx);

// The message under a click: the first area containing it, else the
// nearest circle, corridor (within its width), point or line (within 2 NM
// of a leg) within reach. Hidden messages count only
// when highlighted. -1 for none.
// With an index synced to the store, geometries whose box is out of reach
// are passed over unread; the answer is the same.
int HitTest(const MessageStore& store, const FilterContext& ctx, int highlighted, double lat, double lon,
            const GeomIndex* index = nullptr);

// Every message a click at (lat, lon) touches by the rules of HitTest (an
// area holding it, a circle or corridor across its width, a point or line
// within 2 NM), in store order.
std::vector<int> HitTestAll(const MessageStore& store, const FilterContext& ctx, int highlighted, double lat,
                            double lon, const GeomIndex* index = nullptr);

// The first visible message with a geometry anchor within 12 NM; else the
// first whose area, circle or corridor holds the position; else -1.
int HoverMessage(const MessageStore& store, const FilterContext& ctx, double lat, double lon,
                 const GeomIndex* index = nullptr);
// "station | TYPE - title | text", the text cut to 160 bytes and "...".
// The station is looked up in the message's NAVAREA, else in `navarea`
// (the ship's); a letter with no station there is shown alone.
std::string HoverText(const MsiMessage& m, int navarea);
// "label | colour - title", for a clicked message.
std::string ClickText(const MsiMessage& m);

}  // namespace orvane
