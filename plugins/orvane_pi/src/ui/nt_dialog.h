// The message window: status line, overlay switch and the list of messages.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

class orvane_pi;

namespace orvane {

constexpr int kOpenCacheButtonId = 9210;
constexpr int kPurgeCacheButtonId = 9214;

class NtDialog : public wxDialog {
 public:
  NtDialog(wxWindow* parent, orvane_pi* plugin);

  void SetShowCheck(bool show);
  bool ShowChecked() const { return show_check_->GetValue(); }
  void RefreshList();
  void UpdateStatus();

  wxString StatusLine() const { return status_->GetLabel(); }
  unsigned RowCount() const { return list_->GetCount(); }

 private:
  void OnClose(wxCloseEvent& event);
  void OnShowCheck(wxCommandEvent& event);
  void OnOpenCache(wxCommandEvent& event);
  void OnPurgeCache(wxCommandEvent& event);

  orvane_pi* plugin_;
  wxStaticText* status_;
  wxCheckBox* show_check_;
  wxListBox* list_;
};

}  // namespace orvane
