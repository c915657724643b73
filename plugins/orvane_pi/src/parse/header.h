// Reading the header of one warning: the lines that open a message, the
// date-time group that may stand before them, and the serial with its
// year and series ("NAVAREA III - 0139/26", "HYDROLANT 1783/26.").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvane {

// Warning series a header or a cancellation names.
enum class Series { NONE, NAVAREA, NAVTEX, HYDROLANT, HYDROPAC, HYDROARC };

// True when the upper-cased line (leading blanks already skipped) opens a
// message: NAVAREA, NAVTEX, HYDROLANT, HYDROPAC or HYDROARC and a blank,
// but not "NAVTEX STATION ..." (a transmitter named in a body).
bool IsHeaderLine(std::string_view upper_line);

// A line holding only a date-time group, such as "052223Z SEP 26" or
// "291433 UTC FEB 19".
bool IsDateTimeGroupLine(std::string_view line);

// Offset of the text after a leading date-time group line that is directly
// followed by a header line; 0 otherwise.
size_t DateTimeGroupPrefixLength(std::string_view upper);

struct HeaderSerial {
  int32_t serial = 0;  // above 0 when read
  int32_t year = -1;   // as written (26 or 2026); -1 when none
};

// Reads "NAVAREA %*s - %d/%d", then "%*[^0-9]%d/%d", from the start of an
// upper-cased text (after its date-time group prefix).
HeaderSerial ReadHeaderSerial(std::string_view upper);

struct HeaderSeries {
  Series series = Series::NONE;
  int32_t navarea = 0;  // the NAVAREA numeral's number, 1..21; 0 otherwise
};

// The series of a message's own header: its first line that is neither a
// NAVTEX frame line nor a date-time group, when that line opens a message.
HeaderSeries ReadHeaderSeries(std::string_view upper);

// Series of a header word (NAVAREA, NAVTEX, HYDROLANT, ...); NONE otherwise.
Series SeriesOfWord(std::string_view word);

// 1..21 for a NAVAREA numeral ("III", "XII"); 0 otherwise.
int32_t NavareaOfNumeral(std::string_view numeral);

}  // namespace orvane
