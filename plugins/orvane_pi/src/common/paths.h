// Where the plug-in keeps its files. The local data root is $LOCALAPPDATA
// when set (tests point it at a temporary folder), else $XDG_DATA_HOME, else
// ~/.local/share; the configuration root is $XDG_CONFIG_HOME, else ~/.config.
#pragma once

#include <string>

namespace orvane {

std::string LocalDataRoot();
std::string ConfigRoot();

std::string PluginLoadLogPath();   // <data>/opencpn/plugins/orvane_pi/logs/plugin_load.log
std::string PluginDataDir();       // <data>/opencpn/plugins/orvane_pi/data
std::string CorpusExtractDir();    // <data>/opencpn/plugins/orvane_pi/cache/corpus_zip
std::string FetchCacheDir();       // <data>/opencpn/orvane_cache
std::string ParcelsDir();          // <data>/opencpn/orvane_cache/parcels
std::string ReportsDir();          // <data>/opencpn/orvane_pi/reports
std::string ArrivalLogFile();      // <data>/opencpn/orvane_pi/logs/orvane_arrival.jsonl
std::string SettingsFilePath();    // <config>/opencpn/orvane_pi.ini

// Creates dir and its parents; true when it exists afterwards.
bool EnsureDirectory(const std::string& dir);

// The whole file at path, as bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* out);

// Writes all of bytes to fd, retrying short writes; false on any error.
bool WriteAll(int fd, const std::string& bytes);

// How an atomic write ended.
enum class AtomicWrite { kOk, kOpenFailed, kWriteFailed, kRenameFailed };

// Writes bytes to path + ".tmp", syncs it, renames it over path and syncs the
// folder: a crash leaves the old file or the new one, never half of one. On
// failure the temporary file is removed and an existing path is untouched.
AtomicWrite AtomicWriteFile(const std::string& path, const std::string& bytes);

// Appends text to the file at path, creating its folder when missing.
// Returns false (and writes nothing) when the file cannot be opened.
bool AppendToFile(const std::string& path, const std::string& text);

}  // namespace orvane
