// The message window: status line, overlay switch and the list of messages.
#pragma once

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

class orvane_pi;

namespace orvane {

class NtDialog : public wxDialog {
 public:
  NtDialog(wxWindow* parent, orvane_pi* plugin);

  void SetShowCheck(bool show);
  bool ShowChecked() const { return show_check_->GetValue(); }
  void RefreshList();
  void UpdateStatus();
  // The hover line is rewritten only when its text changes.
  void SetHoverText(const wxString& text);
  wxString HoverLine() const { return hover_->GetLabel(); }

  wxString StatusLine() const { return status_->GetLabel(); }
  unsigned RowCount() const { return list_->GetCount(); }

 private:
  void OnClose(wxCloseEvent& event);
  void OnShowCheck(wxCommandEvent& event);

  orvane_pi* plugin_;
  wxStaticText* status_;
  wxStaticText* hover_;
  wxCheckBox* show_check_;
  wxListBox* list_;
};

}  // namespace orvane
