#include "ui/nt_dialog.h"

#include <wx/sizer.h>

#include "common/clock.h"
#include "fetch/fetch_control.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "ui/cache_ui.h"

namespace orvane {

NtDialog::NtDialog(wxWindow* parent, orvane_pi* plugin)
    : wxDialog(parent, wxID_ANY, TrWx("Orvane \xE2\x80\x94 NAVTEX / MSI"), wxDefaultPosition, wxSize(560, 420),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      plugin_(plugin),
      schedule_timer_(this, kFetchScheduleTimerId) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  status_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  hover_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  show_check_ = new wxCheckBox(this, wxID_ANY, TrWx("Show"));
  list_ = new wxListBox(this, wxID_ANY);
  sizer->Add(status_, 0, wxEXPAND | wxALL, 6);
  sizer->Add(hover_, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  sizer->Add(show_check_, 0, wxLEFT | wxRIGHT, 6);
  sizer->Add(list_, 1, wxEXPAND | wxALL, 6);
  auto* cache_row = new wxBoxSizer(wxHORIZONTAL);
  auto* open_cache = new wxButton(this, kOpenCacheButtonId, TrWx("Open cache"));
  auto* purge_cache = new wxButton(this, kPurgeCacheButtonId, TrWx("Purge cache"));
  cache_row->Add(open_cache, 0, wxRIGHT, 6);
  cache_row->Add(purge_cache, 0);
  sizer->Add(cache_row, 0, wxALL, 6);
  SetSizer(sizer);
  Bind(wxEVT_CLOSE_WINDOW, &NtDialog::OnClose, this);
  show_check_->Bind(wxEVT_CHECKBOX, &NtDialog::OnShowCheck, this);
  Bind(wxEVT_TIMER, &NtDialog::OnScheduleTimer, this, kFetchScheduleTimerId);
  Bind(wxEVT_MENU, &NtDialog::OnFetchResultEvent, this, kFetchResultEventId);
  Bind(wxEVT_BUTTON, &NtDialog::OnOpenCache, this, kOpenCacheButtonId);
  Bind(wxEVT_BUTTON, &NtDialog::OnPurgeCache, this, kPurgeCacheButtonId);
}

void NtDialog::StartFetchTimer() {
  const int minutes = plugin_ ? plugin_->settings().fetch_interval_min : 60;
  schedule_timer_.Start(static_cast<int>(FetchTimerDelayMs(minutes, NowUtcMs())), wxTIMER_CONTINUOUS);
}

void NtDialog::StopFetchTimer() {
  if (schedule_timer_.IsRunning()) schedule_timer_.Stop();
}

void NtDialog::OnScheduleTimer(wxTimerEvent&) {
  // Every period gets a fresh spread.
  StartFetchTimer();
  if (plugin_) plugin_->OnScheduleTick();
}

void NtDialog::OnFetchResultEvent(wxCommandEvent& event) { orvane_pi::HandleFetchResultEvent(plugin_, event); }

std::vector<int> NtDialog::CheckedNavareas() const {
  std::vector<int> ids;
  for (int i = 0; i < 21; ++i)
    if (navarea_mask_ & (1 << i)) ids.push_back(i + 1);
  return ids;
}

void NtDialog::SetShowChecked(bool show) { show_check_->SetValue(show); }

void NtDialog::RefreshList() {
  list_->Clear();
  for (const MsiMessage& m : plugin_->store())
    list_->Append(ToWx(std::string(TypeLabel(m.type)) + "  " + m.title));
}

void NtDialog::UpdateStatus() { status_->SetLabel(ToWx(plugin_->status_text())); }

void NtDialog::SetHoverText(const wxString& text) {
  if (hover_->GetLabel() != text) hover_->SetLabel(text);
}

void NtDialog::OnClose(wxCloseEvent& event) {
  // Closing hides the window; the plug-in deletes it at shutdown.
  if (event.CanVeto()) {
    event.Veto();
    Hide();
  } else {
    event.Skip();
  }
}

void NtDialog::OnShowCheck(wxCommandEvent& event) { plugin_->SetShow(event.IsChecked()); }

void NtDialog::OnOpenCache(wxCommandEvent&) { OpenCacheFolder(); }

void NtDialog::OnPurgeCache(wxCommandEvent&) {
  PurgeCacheWithMessage(this, plugin_);
  RefreshList();
}

}  // namespace orvane
