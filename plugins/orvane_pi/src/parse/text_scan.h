// Word and distance scanning over upper-cased warning text, shared by the
// position reader and the shaping of geometries.
#pragma once

#include <cstddef>
#include <string_view>

namespace orvane {

// A word byte: an ASCII letter or any byte of a multi-byte UTF-8 letter
// (Cyrillic warnings), so a word never starts or ends inside another.
inline bool IsWordByte(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0x80;
}

// True when w stands at i as a whole word: no word byte or digit just
// before it and, unless prefix_only, no word byte just after it.
bool WordAt(std::string_view u, size_t i, std::string_view w, bool prefix_only = false);

// Index of the first whole word w in u[from, to), or npos.
size_t FindWord(std::string_view u, size_t from, size_t to, std::string_view w, bool prefix_only = false);

// A distance stated around a position or a line.
struct StatedDistance {
  bool found = false;
  double nm = 0.0;     // 0..500
  size_t at = 0;       // where the phrase starts
  size_t end = 0;      // just after its unit
  bool for_all = false;  // "ALL WITHIN 2 MILES OF": stated once for every part
};

// The first radius phrase in u[from, to): "WITHIN n UNIT (OF)", "n UNIT
// RADIUS", "RADIUS (OF) n UNIT", "SAFE DISTANCE (OF) n UNIT", "SAFETY ZONE
// (OF) n UNIT", "n UNIT OF <position or line>", "n UNIT AROUND". Numbers
// may be written as words ONE to TWENTY; units are whole words (NM, MILES,
// CABLES, KM, METRES, M ...). Over 500 NM is no radius; metres and
// kilometres are held at 500 NM.
StatedDistance FirstStatedRadius(std::string_view u, size_t from, size_t to);

}  // namespace orvane
