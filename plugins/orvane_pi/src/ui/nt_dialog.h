// The message window: status line, overlay switch and the list of messages.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <vector>

class orvane_pi;

namespace orvane {

constexpr int kOpenCacheButtonId = 9210;
constexpr int kPurgeCacheButtonId = 9214;

class NtDialog : public wxDialog {
 public:
  NtDialog(wxWindow* parent, orvane_pi* plugin);

  void SetShowChecked(bool show);
  bool ShowChecked() const { return show_check_->GetValue(); }
  void RefreshList();
  void UpdateStatus();
  // The hover line is rewritten only when its text changes.
  void SetHoverText(const wxString& text);
  wxString HoverLine() const { return hover_->GetLabel(); }
  // The NAVAREA check list follows the manual selection mask.
  void SetNavareaChecks(int32_t mask) { navarea_mask_ = mask; }
  int32_t NavareaChecks() const { return navarea_mask_; }
  // NAVAREA numbers (1..21) of the checked entries, in list order.
  std::vector<int> CheckedNavareas() const;
  // The fetch timer: one tick every interval plus a spread of up to three minutes.
  void StartFetchTimer();
  void StopFetchTimer();
  bool FetchTimerRunning() const { return schedule_timer_.IsRunning(); }
  int FetchTimerIntervalMs() const { return schedule_timer_.GetInterval(); }

  wxString StatusLine() const { return status_->GetLabel(); }
  unsigned RowCount() const { return list_->GetCount(); }

 private:
  void OnClose(wxCloseEvent& event);
  void OnShowCheck(wxCommandEvent& event);
  void OnScheduleTimer(wxTimerEvent& event);
  void OnFetchResultEvent(wxCommandEvent& event);
  void OnOpenCache(wxCommandEvent& event);
  void OnPurgeCache(wxCommandEvent& event);

  orvane_pi* plugin_;
  wxStaticText* status_;
  wxStaticText* hover_;
  wxCheckBox* show_check_;
  wxListBox* list_;
  wxTimer schedule_timer_;
  int32_t navarea_mask_ = 0;
};

constexpr int kFetchScheduleTimerId = 9205;
constexpr int kFetchResultEventId = 9206;

}  // namespace orvane
