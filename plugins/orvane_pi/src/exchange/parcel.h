// The parcel: a selection of messages with their geometry, as the JSON text
// "orvane_parcel_v1" that one plug-in writes and another reads.
#pragma once

#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

struct ParcelMeta {
  std::string route_id;
  std::string route_name;
  double corridor_nm = 50.0;
  int navarea_hint = 0;
  std::string note;
  std::string created;  // empty: the current UTC time is written
};

constexpr size_t kParcelExcerptBytes = 400;
constexpr size_t kParcelMaxBytes = 16u << 20;  // larger parcels are refused unread
constexpr size_t kParcelMaxMessages = 100000;   // parcels with more are refused

std::string WriteParcelJson(const std::vector<MsiMessage>& messages, const ParcelMeta& meta);

// Reads a parcel text; on failure returns false, leaves messages empty and
// puts the reason in error.
bool ReadParcelJson(const std::string& text, std::vector<MsiMessage>* messages, ParcelMeta* meta,
                    std::string* error);

// Writes text to path + ".tmp", then renames it over path; an existing file
// stays as it was when anything fails.
bool WriteTextAtomically(const std::string& path, const std::string& text, std::string* error);

// The parcels folder under the fetch cache (created), or empty when there is none.
std::string ParcelsDirectory();

// Numbers as the parcel writes them: general notation, six significant
// digits, independent of the user's locale.
std::string FormatParcelNumber(double v);

}  // namespace orvane
