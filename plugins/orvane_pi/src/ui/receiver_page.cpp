#include "ui/receiver_page.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "orvane_pi/translate.h"
#include "receiver/receiver_input.h"
#include "ui/modal.h"

namespace orvane {
namespace {

// In the order of ReceiverSource.
const char* const kSourceTexts[kReceiverSourceCount] = {
    "Off", "Serial port", "TCP client", "UDP port", "Recorded file", "The chart plotter's NMEA"};

}  // namespace

ReceiverPage::ReceiverPage(wxWindow* parent, const Settings& s, const std::string& status) : wxPanel(parent) {
  auto* main = new wxBoxSizer(wxVERTICAL);
  main->Add(new wxStaticText(this, wxID_ANY,
                             TrWx("The ship's NAVTEX receiver: its messages join the chart beside the web's.")),
            0, wxALL, 6);
  auto* grid = new wxFlexGridSizer(2, wxSize(8, 6));
  grid->AddGrowableCol(1);
  auto row = [&](const char* label, wxWindow* control) {
    grid->Add(new wxStaticText(this, wxID_ANY, TrWx(label)), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(control, 1, wxEXPAND);
  };
  source_ = new wxChoice(this, wxID_ANY);
  for (const char* t : kSourceTexts) source_->Append(TrWx(t));
  source_->SetSelection(LimitReceiverSource(s.receiver_source));
  source_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnSource(); });
  row("Read from", source_);
  device_ = new wxTextCtrl(this, wxID_ANY, ToWx(s.receiver_serial_device));
  row("Serial device", device_);
  baud_ = new wxChoice(this, wxID_ANY);
  for (int rate : ReceiverBaudRates()) {
    baud_->Append(wxString::Format("%d", rate));
    if (rate == s.receiver_baud) baud_->SetSelection(baud_->GetCount() - 1);
  }
  if (baud_->GetSelection() == wxNOT_FOUND) baud_->SetSelection(0);
  row("Baud rate", baud_);
  tcp_ = new wxTextCtrl(this, wxID_ANY, ToWx(s.receiver_tcp));
  row("TCP host:port", tcp_);
  udp_ = new wxTextCtrl(this, wxID_ANY, ToWx(s.receiver_udp));
  row("UDP listen address:port", udp_);
  // A text and a Browse button rather than the toolkit's native file
  // picker, whose own dialog cannot outlive a parentless settings dialog.
  auto* file_row = new wxBoxSizer(wxHORIZONTAL);
  file_ = new wxTextCtrl(this, wxID_ANY, ToWx(s.receiver_file));
  browse_ = new wxButton(this, wxID_ANY, TrWx("Browse..."));
  browse_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); });
  file_row->Add(file_, 1, wxEXPAND | wxRIGHT, 4);
  file_row->Add(browse_, 0);
  grid->Add(new wxStaticText(this, wxID_ANY, TrWx("Recorded file")), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(file_row, 1, wxEXPAND);
  garbled_ = new wxSpinCtrlDouble(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS,
                                  0.0, 100.0, s.receiver_garbled_percent, 0.5);
  row("Garbled above (% bad characters)", garbled_);
  b1_ = new wxTextCtrl(this, wxID_ANY, ToWx(MaskLetters(s.receiver_b1_mask)));
  row("Transmitters kept (B1)", b1_);
  b2_ = new wxTextCtrl(this, wxID_ANY, ToWx(MaskLetters(s.receiver_b2_mask)));
  row("Subjects kept (B2; A B D L always)", b2_);
  main->Add(grid, 0, wxEXPAND | wxALL, 6);
  status_ = new wxStaticText(this, wxID_ANY, ToWx(status));
  main->Add(status_, 0, wxEXPAND | wxALL, 6);
  SetSizer(main);
  OnSource();
}

void ReceiverPage::OnSource() {
  const auto source = static_cast<ReceiverSource>(source_->GetSelection());
  device_->Enable(source == ReceiverSource::kSerial);
  baud_->Enable(source == ReceiverSource::kSerial);
  tcp_->Enable(source == ReceiverSource::kTcp);
  udp_->Enable(source == ReceiverSource::kUdp);
  file_->Enable(source == ReceiverSource::kFile);
  browse_->Enable(source == ReceiverSource::kFile);
}

void ReceiverPage::OnBrowse() {
  wxWindowPtr<wxFileDialog> dlg(new wxFileDialog(nullptr, TrWx("Receiver log"), wxEmptyString, wxEmptyString,
                                                 TrWx("NMEA logs (*.nmea;*.txt;*.log)|*.nmea;*.txt;*.log|All files (*)|*"),
                                                 wxFD_OPEN | wxFD_FILE_MUST_EXIST));
  PlaceOver(dlg.get(), this);
  if (RunModal(dlg.get()) == wxID_OK) file_->SetValue(dlg->GetPath());
}

Settings ReceiverPage::Collect(const Settings& base) const {
  Settings s = base;
  s.receiver_source = LimitReceiverSource(source_->GetSelection());
  s.receiver_serial_device = FromWx(device_->GetValue());
  s.receiver_baud = LimitReceiverBaud(ReceiverBaudRates().at(static_cast<size_t>(std::max(0, baud_->GetSelection()))));
  s.receiver_tcp = FromWx(tcp_->GetValue());
  s.receiver_udp = FromWx(udp_->GetValue());
  s.receiver_file = FromWx(file_->GetValue());
  s.receiver_garbled_percent = LimitGarbledPercent(garbled_->GetValue());
  s.receiver_b1_mask = B1MaskFromLetters(FromWx(b1_->GetValue()));
  s.receiver_b2_mask = B2MaskFromLetters(FromWx(b2_->GetValue()));
  return s;
}

void ReceiverPage::SetStatus(const std::string& status) { status_->SetLabel(ToWx(status)); }

}  // namespace orvane
