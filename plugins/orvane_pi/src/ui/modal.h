// Every modal window the plug-in shows runs through RunModal. The dialogs
// live on the heap and have no toolkit parent: the host may destroy the
// chart canvas or its frame while one is up (closing the chart plotter),
// and a parent frees its children. DeInit ends them with EndPluginModals,
// after which the caller of RunModal gets kModalShutdown and must not touch
// the plug-in object again: it is being destroyed.
#pragma once

#include <wx/dialog.h>
#include <wx/string.h>
#include <wx/windowptr.h>

class wxWindow;

namespace orvane {

// What RunModal returns for a dialog that DeInit closed.
constexpr int kModalShutdown = -1000;

// Puts a parentless dialog over the top-level window of anchor (when there
// is one), as a parent would have centred it.
void PlaceOver(wxWindow* dlg, wxWindow* anchor);

// ShowModal with the dialog recorded as open until it returns.
int RunModal(wxDialog* dlg);

// wxMessageBox's answer (wxYES, wxNO, wxOK, wxCANCEL) for a heap message
// dialog placed over anchor; kModalShutdown when DeInit closed it.
int PluginMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* anchor);

// The modals running now (innermost last).
size_t OpenPluginModals();

// DeInit: ends the innermost open modal at once; each outer one ends as
// soon as the one inside it has returned, before its caller runs again.
// From here until AllowPluginModals, RunModal shows nothing and returns
// kModalShutdown, and PluginClosing is true.
void EndPluginModals();
void AllowPluginModals();
bool PluginClosing();

}  // namespace orvane
