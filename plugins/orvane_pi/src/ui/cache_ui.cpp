#include "ui/cache_ui.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "fetch/fetch_cache.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "ui/modal.h"

namespace orvane {

std::string PurgeCacheWithMessage(wxWindow* parent, orvane_pi* plugin) {
  const std::string text = plugin ? plugin->PurgeStaleCache() : orvane::PurgeStaleCache(&Tr);
  PluginMessageBox(ToWx(text), TrWx("Orvane cache"), wxOK | wxICON_INFORMATION, parent);
  return text;
}

void ConfirmAndPurgeCache(wxWindow* parent, orvane_pi* plugin, wxStaticText* status_label,
                          wxStaticText* size_label) {
  const int answer = PluginMessageBox(
      TrWx("Purge ALL fetch cache files (HTML/text)?\nSettings are kept. Next fetch refetches sources."),
      TrWx("Cache purge"), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, parent);
  if (answer == kModalShutdown) return;
  std::string text;
  if (answer == wxYES)
    text = plugin ? plugin->PurgeAllCache() : orvane::PurgeAllCache(&Tr);
  else
    text = plugin ? plugin->PurgeStaleCache() : orvane::PurgeStaleCache(&Tr);
  if (status_label) status_label->SetLabel(ToWx(text));
  if (size_label) size_label->SetLabel(ToWx(CacheSizeReport(&Tr)));
  PluginMessageBox(ToWx(text), TrWx("Cache purge"), wxOK | wxICON_INFORMATION, parent);
}

bool OpenCacheFolder() {
  const std::string dir = CacheDir();
  if (dir.empty()) return false;
  // The desktop's own opener, handed the folder as one argument.
  if (wxLaunchDefaultApplication(ToWx(dir))) return true;
  return wxLaunchDefaultBrowser(wxFileName::FileNameToURL(wxFileName::DirName(ToWx(dir))));
}

}  // namespace orvane
