// The shared vocabulary of Orvane: one warning, its chart geometries, the
// thirteen chart categories and the NAVTEX subject (B2) table.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

enum MsgType : int32_t {
  DRILLING = 0,
  MILITARY,
  MINE,
  SAR_OPS,
  PIRACY,
  WRECK,
  DRIFT,
  AIDS,
  CABLE,
  WEATHER,
  SPACE,
  RESTRICT,
  OTHER,
};
constexpr int kMsgTypeCount = 13;

enum GeomKind : int32_t { GEOM_POINT = 0, GEOM_CIRCLE = 1, GEOM_POLYLINE = 2, GEOM_POLYGON = 3 };

enum B2Class : int32_t { B2_MANDATORY = 0, B2_OPTIONAL = 1, B2_HIDDEN = 2 };

// A position: latitude then longitude, decimal degrees, north and east positive.
using LatLon = std::pair<double, double>;

struct MsiGeom {
  GeomKind kind = GEOM_POINT;
  std::vector<LatLon> points;
  double radius_nm = 0.0;
};

struct MsiMessage {
  std::string id;
  char b1 = '?';
  char b2 = '?';
  int32_t b2_index = 13;
  int32_t number = 0;
  std::string station_id;
  MsgType type = OTHER;
  std::string title;
  std::string raw_text;
  std::vector<MsiGeom> geoms;
  bool active = true;
  std::string cancel_target;
  std::string expires;
  int32_t navarea = 0;
  std::string source;
};

using MessageStore = std::vector<MsiMessage>;

// Category tables. Values outside 0..11 read as OTHER.
const char* TypeName(MsgType t);
const char* TypeLabel(MsgType t);
const char* TypeDescription(MsgType t);
const char* TypeColourName(MsgType t);
const char* TypeImoNote(MsgType t);
bool IsRecommendedOn(MsgType t);
MsgType ParseTypeName(const std::string& name);
MsgType ParseExchangeTypeName(const std::string& name);

const char* GeomKindName(GeomKind k);

// B2 subject table; letters are looked up case-insensitively.
const char* B2Description(char b2);
B2Class B2ClassOf(char b2);
const char* B2ClassName(B2Class c);
int32_t B2Index(char b2);
MsgType B2Category(char b2);

}  // namespace orvane
