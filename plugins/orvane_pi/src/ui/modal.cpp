#include "ui/modal.h"

#include <dlfcn.h>

#include <vector>

#include <wx/msgdlg.h>
#include <wx/toplevel.h>

namespace orvane {
namespace {

struct OpenModal {
  wxDialog* dlg;
  bool shutdown;
};

// The user-interface thread's stack of running modals.
std::vector<OpenModal> g_open;
bool g_closing = false;

// Native GTK dialogs (message box, colour picker) run gtk_dialog_run, which
// EndModal cannot stop; a response ends it. Looked up at run time so that
// the plug-in needs no GTK headers and links no GTK library of its own.
void EndNativeDialog(wxDialog* dlg) {
#ifdef __WXGTK__
  using ResponseFn = void (*)(void*, int);
  static const auto response = reinterpret_cast<ResponseFn>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
  constexpr int kGtkResponseCancel = -6;
  if (response && dlg->GetHandle()) response(dlg->GetHandle(), kGtkResponseCancel);
#else
  (void)dlg;
#endif
}

void End(wxDialog* dlg) {
  if (dlg->IsModal())
    dlg->EndModal(wxID_CANCEL);
  else
    EndNativeDialog(dlg);
}

}  // namespace

void PlaceOver(wxWindow* dlg, wxWindow* anchor) {
  wxWindow* top = anchor ? wxGetTopLevelParent(anchor) : nullptr;
  if (!top || !top->IsShown()) {
    dlg->Centre(wxBOTH);
    return;
  }
  const wxRect r = top->GetScreenRect();
  const wxSize s = dlg->GetSize();
  dlg->Move(r.x + (r.width - s.x) / 2, r.y + (r.height - s.y) / 2);
}

int RunModal(wxDialog* dlg) {
  if (g_closing) return kModalShutdown;
  g_open.push_back({dlg, false});
  const int rc = dlg->ShowModal();
  bool shutdown = false;
  for (size_t i = g_open.size(); i-- > 0;)
    if (g_open[i].dlg == dlg) {
      shutdown = g_open[i].shutdown;
      g_open.erase(g_open.begin() + static_cast<long>(i));
      break;
    }
  if (!shutdown) return rc;
  // The loop of the next outer modal runs again now, so it can be ended.
  if (!g_open.empty()) End(g_open.back().dlg);
  return kModalShutdown;
}

int PluginMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* anchor) {
  wxWindowPtr<wxMessageDialog> dlg(new wxMessageDialog(nullptr, text, caption, style));
  PlaceOver(dlg.get(), anchor);
  switch (RunModal(dlg.get())) {
    case wxID_YES: return wxYES;
    case wxID_NO: return wxNO;
    case wxID_OK: return wxOK;
    case kModalShutdown: return kModalShutdown;
    default: return wxCANCEL;
  }
}

size_t OpenPluginModals() { return g_open.size(); }

void AllowPluginModals() { g_closing = false; }
bool PluginClosing() { return g_closing; }

void EndPluginModals() {
  g_closing = true;
  if (g_open.empty()) return;
  for (OpenModal& m : g_open) m.shutdown = true;
  End(g_open.back().dlg);
}

}  // namespace orvane
