#include "parse/msi_model.h"

#include <cstring>

namespace orvane {
namespace {

struct TypeRow {
  MsgType type;
  const char* code;
  const char* label;
  const char* description;
  const char* colour;
  const char* imo_note;
};

constexpr const char* kOptional = "optional";

const TypeRow kTypes[kMsgTypeCount] = {
    {DRILLING, "DRILLING", "DRILLING", "Offshore drilling / MODU", "orange", kOptional},
    {MILITARY, "MILITARY", "MILITARY AREA", "Military / firing", "red", kOptional},
    {MINE, "MINE", "MINE / UXO", "Mines / UXO", "magenta", kOptional},
    {SAR_OPS, "SAR_OPS", "SAR", "SAR / person search", "amber", "IMO B2=D \xE2\x80\x94 recommended always on"},
    {PIRACY, "PIRACY", "PIRACY", "Piracy / armed robbery", "deep-orange", "IMO B2=D \xE2\x80\x94 recommended always on"},
    {WRECK, "WRECK", "WRECK", "Wreck / sunk vessel", "crimson-brown", kOptional},
    {DRIFT, "DRIFT", "DRIFT HAZARD", "Drifting hazard", "crimson", kOptional},
    {AIDS, "AIDS", "AIDS TO NAV", "Aids to navigation", "blue", "IMO B2=A/L \xE2\x80\x94 recommended always on"},
    {CABLE, "CABLE", "CABLE / PIPE", "Cable / pipe / underwater", "brown", kOptional},
    {WEATHER, "WEATHER", "WEATHER REPORT", "Weather / ice", "pink-stripe", "IMO B2=B \xE2\x80\x94 recommended always on"},
    {SPACE, "SPACE", "SPACE / MISSILE", "Missile / space / range", "violet", kOptional},
    {RESTRICT, "RESTRICT", "RESTRICTED", "Restricted / exclusion", "dark-red-hatch", "IMO B2=A/L \xE2\x80\x94 recommended always on"},
    {OTHER, "OTHER", "DANGER ZONE", "IMPORTANT unclassified (danger)", "danger-red", "IMO B2=A/L \xE2\x80\x94 recommended always on"},
};

const TypeRow& RowOf(MsgType t) {
  const int v = static_cast<int>(t);
  return (v >= 0 && v <= 11) ? kTypes[v] : kTypes[OTHER];
}

struct B2Row {
  char letter;
  const char* description;
  B2Class cls;
  int32_t index;
  MsgType fallback;
};

constexpr const char* kUnknownB2 = "Unknown / not in envelope";

const B2Row kB2[] = {
    {'A', "Navigational warnings", B2_MANDATORY, 0, OTHER},
    {'B', "Meteorological warnings", B2_MANDATORY, 1, WEATHER},
    {'C', "Ice reports", B2_OPTIONAL, 2, WEATHER},
    {'D', "Search and rescue / pirate attack warnings", B2_MANDATORY, 3, SAR_OPS},
    {'E', "Meteorological forecasts", B2_OPTIONAL, 4, WEATHER},
    {'F', "Pilot service messages", B2_OPTIONAL, 5, OTHER},
    {'G', "AIS messages", B2_OPTIONAL, 6, AIDS},
    {'H', "LORAN messages", B2_OPTIONAL, 7, OTHER},
    {'I', "Unused / reserved", B2_OPTIONAL, 13, OTHER},
    {'J', "SATNAV messages", B2_OPTIONAL, 8, AIDS},
    {'K', "Other electronic navaid messages", B2_OPTIONAL, 9, AIDS},
    {'L', "Navigational warnings (additional to A)", B2_MANDATORY, 10, OTHER},
    {'V', "Notice to fishermen (regional use)", B2_OPTIONAL, 11, OTHER},
    {'W', "Environmental / special (regional)", B2_OPTIONAL, 11, OTHER},
    {'X', "Special services (allocation by NAVAREA)", B2_OPTIONAL, 11, OTHER},
    {'Y', kUnknownB2, B2_OPTIONAL, 11, OTHER},
    {'Z', "No message on hand", B2_HIDDEN, 12, OTHER},
};
const B2Row kB2Unknown = {'?', kUnknownB2, B2_OPTIONAL, 13, OTHER};

const B2Row& B2RowOf(char b2) {
  const char up = (b2 >= 'a' && b2 <= 'z') ? static_cast<char>(b2 - 'a' + 'A') : b2;
  for (const B2Row& row : kB2)
    if (row.letter == up) return row;
  return kB2Unknown;
}

}  // namespace

const char* TypeName(MsgType t) { return RowOf(t).code; }
const char* TypeLabel(MsgType t) { return RowOf(t).label; }
const char* TypeDescription(MsgType t) { return RowOf(t).description; }
const char* TypeColourName(MsgType t) { return RowOf(t).colour; }

const char* TypeImoNote(MsgType t) {
  const int v = static_cast<int>(t);
  return (v >= 0 && v < kMsgTypeCount) ? kTypes[v].imo_note : kOptional;
}

bool IsRecommendedOn(MsgType t) {
  const int v = static_cast<int>(t);
  return v >= 0 && v < kMsgTypeCount && std::strcmp(kTypes[v].imo_note, kOptional) != 0;
}

MsgType ParseTypeName(const std::string& name) {
  for (int v = 0; v <= RESTRICT; ++v)
    if (name == kTypes[v].code) return static_cast<MsgType>(v);
  if (name == "CABLE_PIPE") return CABLE;
  return OTHER;
}

MsgType ParseExchangeTypeName(const std::string& name) {
  if (name == "SAR_PIRACY") return SAR_OPS;
  if (name == "NAV_HAZARD") return WRECK;
  return ParseTypeName(name);
}

const char* GeomKindName(GeomKind k) {
  static const char* const kNames[] = {"point", "circle", "polyline", "polygon"};
  const int v = static_cast<int>(k);
  return (v >= 0 && v <= 3) ? kNames[v] : kNames[0];
}

const char* B2Description(char b2) { return B2RowOf(b2).description; }
B2Class B2ClassOf(char b2) { return B2RowOf(b2).cls; }

const char* B2ClassName(B2Class c) {
  switch (c) {
    case B2_MANDATORY: return "mandatory";
    case B2_HIDDEN: return "hidden";
    default: return "optional";
  }
}

int32_t B2Index(char b2) { return B2RowOf(b2).index; }
MsgType B2Category(char b2) { return B2RowOf(b2).fallback; }

}  // namespace orvane
