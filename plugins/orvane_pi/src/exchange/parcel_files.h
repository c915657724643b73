// Parcel files: the .json text and the .zip holding it as "parcel.json".
#pragma once

#include <string>

namespace orvane {

// Reads a parcel file (.json, or .zip in any letter case); false with the
// reason in error when there is no usable parcel text.
bool LoadParcelText(const std::string& path, std::string* text, std::string* error);

// Writes the JSON file and the zip beside it, each through a temporary file
// renamed into place.
bool WriteParcelFiles(const std::string& json_path, const std::string& zip_path, const std::string& text,
                      std::string* error);

}  // namespace orvane
