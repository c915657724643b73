#include "message_json.h"

namespace orvane {
namespace {

using ojson = nlohmann::ordered_json;

ojson MessageProperties(const MsiMessage& m) {
  ojson j;
  j["id"] = m.id;
  j["b1"] = std::string(1, m.b1);
  j["b2"] = std::string(1, m.b2);
  j["b2_index"] = m.b2_index;
  j["number"] = m.number;
  j["station_id"] = m.station_id;
  j["type"] = TypeName(m.type);
  j["title"] = m.title;
  j["raw_text"] = m.raw_text;
  return j;
}

void AddTail(ojson& j, const MsiMessage& m) {
  j["active"] = m.active;
  j["cancel_target"] = m.cancel_target;
  j["expires"] = m.expires;
  j["navarea"] = m.navarea;
  j["source"] = m.source;
}

ojson LonLat(const LatLon& p) { return ojson::array({p.second, p.first}); }

}  // namespace

ojson MessageToJson(const MsiMessage& m) {
  ojson j = MessageProperties(m);
  ojson geoms = ojson::array();
  for (const MsiGeom& g : m.geoms) {
    ojson pts = ojson::array();
    for (const LatLon& p : g.points) pts.push_back(ojson::array({p.first, p.second}));
    geoms.push_back({{"kind", GeomKindName(g.kind)}, {"radius_nm", g.radius_nm}, {"points", pts}});
  }
  j["geoms"] = geoms;
  AddTail(j, m);
  return j;
}

ojson MessagesToGeoJson(const std::vector<MsiMessage>& messages) {
  ojson features = ojson::array();
  for (const MsiMessage& m : messages) {
    for (size_t i = 0; i < m.geoms.size(); ++i) {
      const MsiGeom& g = m.geoms[i];
      if (g.points.empty()) continue;
      ojson geometry;
      ojson props = MessageProperties(m);
      AddTail(props, m);
      props["geom_index"] = i;
      props["kind"] = GeomKindName(g.kind);
      switch (g.kind) {
        case GEOM_POLYLINE: {
          ojson line = ojson::array();
          for (const LatLon& p : g.points) line.push_back(LonLat(p));
          geometry = {{"type", "LineString"}, {"coordinates", line}};
          // A corridor: the line and the width either side of it.
          if (g.radius_nm > 0.0) props["radius_nm"] = g.radius_nm;
          break;
        }
        case GEOM_POLYGON: {
          ojson ring = ojson::array();
          for (const LatLon& p : g.points) ring.push_back(LonLat(p));
          ring.push_back(LonLat(g.points.front()));  // closed ring
          geometry = {{"type", "Polygon"}, {"coordinates", ojson::array({ring})}};
          break;
        }
        case GEOM_CIRCLE:
          props["radius_nm"] = g.radius_nm;
          geometry = {{"type", "Point"}, {"coordinates", LonLat(g.points.front())}};
          break;
        default:
          geometry = {{"type", "Point"}, {"coordinates", LonLat(g.points.front())}};
          break;
      }
      features.push_back({{"type", "Feature"}, {"geometry", geometry}, {"properties", props}});
    }
  }
  return {{"type", "FeatureCollection"}, {"features", features}};
}

std::string DumpJson(const ojson& j) { return j.dump(-1, ' ', false, ojson::error_handler_t::replace); }

}  // namespace orvane
