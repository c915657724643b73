// The cache commands of the windows: purge with its message boxes, and
// opening the cache folder in the system's file browser.
#pragma once

#include <string>

class orvane_pi;
class wxWindow;
class wxStaticText;

namespace orvane {

// The message window's "Purge cache": stale NAVAREA files only, the result
// in an information box captioned "Orvane cache".
std::string PurgeCacheWithMessage(wxWindow* parent, orvane_pi* plugin);

// The settings dialog's purge: asks whether to purge everything (Yes) or
// only the stale NAVAREA files (No); the answer never cancels the purge.
// The result goes to status_label, size_label gets the new size report,
// and an information box captioned "Cache purge" shows the result.
void ConfirmAndPurgeCache(wxWindow* parent, orvane_pi* plugin, wxStaticText* status_label,
                          wxStaticText* size_label);

// Opens the cache folder with the desktop's file browser (no shell);
// false when the folder is unknown or cannot be opened.
bool OpenCacheFolder();

}  // namespace orvane
