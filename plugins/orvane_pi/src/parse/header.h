// Reading the header of one warning: the lines that open a message, the
// date-time group, preamble and station lines that may stand before them,
// and the serial with its year and series ("NAVAREA III - 0139/26",
// "HYDROLANT 1783/26.", "GERMAN NAV WARN 403/26", "WZ 1298").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// Warning series a header or a cancellation names. NATIONAL covers the
// national and coastal series, told apart by their issuer.
enum class Series { NONE, NAVAREA, NAVTEX, HYDROLANT, HYDROPAC, HYDROARC, NATIONAL };

// What a header line says.
struct HeaderLine {
  Series series = Series::NONE;
  std::string issuer;   // NATIONAL: "GERMAN", "TURNHOS", "WZ", "PRIP", "COASTAL", "NAV"
  int32_t navarea = 0;  // the NAVAREA numeral's number, 1..21; 0 otherwise
  int32_t serial = 0;   // above 0 when the line gives one
  int32_t year = -1;    // two digits; -1 when none
};

// Reads an upper-cased line (leading blanks already skipped) that opens a
// message: NAVAREA, NAVTEX (not "NAVTEX STATION ...", a transmitter named
// in a body), HYDROLANT, HYDROPAC, HYDROARC, "--- NAVAREA I 223/26 ---",
// "TURNHOS N/W 1024/20", "[Area] GERMAN NAV WARN 403/26", "ПРИП ...",
// "COASTAL WARNING NR. 119/19", "NAV WARNING NO. 031/2019", "WZ 1298".
// False when the line opens none.
bool ReadHeaderLine(std::string_view upper_line, HeaderLine* out);
bool IsHeaderLine(std::string_view upper_line);

// A national or coastal series named at the start of an upper-cased text
// ("WZ 1160 (GA87)", "GERMAN NAV WARN 403/26"): the offset after its serial,
// 0 when the text names none.
size_t ReadNationalSeries(std::string_view upper, HeaderLine* out);

// A line holding only a date-time group, such as "052223Z SEP 26" or
// "291433 UTC FEB 19".
bool IsDateTimeGroupLine(std::string_view line);

// A line that only says when: a date-time group, or any line of day, time,
// month and year words ("02 MAR 2019 22.30 UTC", "0525 UTC 16TH FEBRUARY
// 2019"), optionally with a station name ("010300 NAVTEX-HAMBURG (NCC)").
bool IsTimeStampLine(std::string_view upper_line);

// An agency preamble line: "MSGID/GENADMIN/...//" or "RMKS/".
bool IsPreambleLine(std::string_view upper_line);

// A bare station or agency line: "NCC-HAMBURG", "BAHRAINRADIO/A9M",
// "NETHERLANDS COASTGUARD", "MONDOLFO RADIO".
bool IsStationLine(std::string_view upper_line);

// A NAVTEX frame code alone on its line: "PA16".
bool IsFrameCodeLine(std::string_view upper_line);

// Offset of a message's header line when only date-time group and preamble
// lines stand before it; 0 otherwise.
size_t HeaderPrefixLength(std::string_view upper);

struct HeaderSerial {
  int32_t serial = 0;  // above 0 when read
  int32_t year = -1;   // as written (26 or 2026); -1 when none
};

// Reads "NAVAREA %*s - %d/%d", then "%*[^0-9]%d/%d", from the start of an
// upper-cased text (after its header prefix).
HeaderSerial ReadHeaderSerial(std::string_view upper);

// The header of a whole message: its first line that is not a frame line,
// frame code, time stamp, preamble or station line. When that line is no
// header, a warning number on it ("NAV. WARN. NO. 182") still gives the
// serial (series NONE).
HeaderLine ReadMessageHeader(std::string_view upper);

// Series of a header word (NAVAREA, NAVTEX, HYDROLANT, ...); NONE otherwise.
Series SeriesOfWord(std::string_view word);

// 1..21 for a NAVAREA numeral ("III", "XII"); 0 otherwise.
int32_t NavareaOfNumeral(std::string_view numeral);

}  // namespace orvane
