// Positions in warning text and the chart geometries made from them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// One position as written, with the bytes it takes in the text.
struct PositionSpan {
  LatLon pos;
  size_t begin = 0;  // first digit of the latitude
  size_t end = 0;    // just after the longitude's hemisphere letter
};

// Every readable position of a text, in text order, duplicates kept. Reads
// degrees and minutes ("44-02.85N 030-35.25E", "42 50.93 N - 031 15.60 E"),
// seconds ("18-42-17N", "43 02'26''N"), decimal commas, digits-only minute
// fractions ("45-05000N", "44 14 132N"), Cyrillic hemisphere letters and the
// usual joiners between latitude and longitude. A position spoiled by
// reception errors is left out.
std::vector<PositionSpan> FindPositions(std::string_view text);

// The positions of FindPositions without near-duplicates.
std::vector<LatLon> ExtractPositions(std::string_view text);

// Positions that lie within 1e-5 degree of one kept before them, in both
// coordinates, dropped.
std::vector<LatLon> RemoveNearDuplicates(const std::vector<LatLon>& positions);

// The four corners of an area given by its limits ("BETWEEN 55-39N AND
// 56-45N AND BETWEEN 001-11E AND 003-38E") in upper[from, to); empty when
// the text gives none.
std::vector<LatLon> ReadLimitBox(std::string_view upper, size_t from, size_t to);

// The distance stated around a position or line in an upper-cased text
// ("WITHIN 2 MILES OF", "5 NM RADIUS", "SAFE DISTANCE 500 METERS"), in
// nautical miles (0..500); 0 when none. Ranges of lights, depths, heights
// and berth requests are not radii.
double ReadRadius(std::string_view upper);

// Three or more positions sorted counter-clockwise around their mean;
// fewer are returned unchanged.
std::vector<LatLon> OrderAroundCentre(const std::vector<LatLon>& positions);

// True when the closed ring, in the given order, crosses itself.
bool RingCrossesItself(const std::vector<LatLon>& ring);

// Chart geometries of one message, from its cleaned and upper-cased text:
// each labelled part of the text ("A.", "2.", "AREA B") becomes its own
// geometries, shaped by the wording around its positions.
std::vector<MsiGeom> BuildGeometries(const std::string& raw_text, const std::string& upper);

}  // namespace orvane
