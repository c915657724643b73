#include "ui/message_detail.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "common/text.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "overlay/swatch_dc.h"
#include "ui/modal.h"

namespace orvane {

std::string DetailHeading(const MsiMessage& m) {
  return std::string(TypeLabel(m.type)) + " - " + TypeDescription(m.type) + " [" + TypeColourName(m.type) + "]";
}

std::string DetailB2Line(const MsiMessage& m) {
  const bool letter = (m.b2 >= 'A' && m.b2 <= 'Z') || (m.b2 >= 'a' && m.b2 <= 'z');
  const char b2 = letter ? m.b2 : '?';
  return std::string("B2=") + b2 + " " + B2Description(b2) + " [" + B2ClassName(B2ClassOf(b2)) + "]";
}

std::string DetailBody(const MsiMessage& m) {
  const std::string body = m.title + "\n\n" + m.raw_text;
  if (body.size() <= kDetailBodyMaxBytes) return body;
  return CutUtf8(body, kDetailBodyMaxBytes) + "\n...";
}

MessageDetailDialog::MessageDetailDialog(wxWindow* parent, const MsiMessage& m)
    : wxDialog(parent, wxID_ANY, TrWx("Orvane message"), wxDefaultPosition, wxSize(520, 420),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      type_(m.type) {
  SetMinSize(wxSize(360, 280));
  auto* sizer = new wxBoxSizer(wxVERTICAL);

  auto* header = new wxBoxSizer(wxHORIZONTAL);
  auto* swatch = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxSize(56, 28), wxBORDER_NONE);
  const MsgType t = m.type;
  swatch->Bind(wxEVT_PAINT, [swatch, t](wxPaintEvent&) {
    wxPaintDC dc(swatch);
    PaintBucketSwatch(dc, swatch->GetClientSize(), t);
  });
  header->Add(swatch, 0, wxALIGN_CENTER_VERTICAL);
  header->AddSpacer(8);
  heading_ = new wxStaticText(this, wxID_ANY, ToWx(DetailHeading(m)));
  wxFont bold = heading_->GetFont();
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  heading_->SetFont(bold);
  header->Add(heading_, 1, wxALIGN_CENTER_VERTICAL);
  sizer->Add(header, 0, wxEXPAND | wxALL, 10);

  b2_ = new wxStaticText(this, wxID_ANY, ToWx(DetailB2Line(m)));
  sizer->Add(b2_, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);

  body_ = new wxTextCtrl(this, wxID_ANY, ToWx(DetailBody(m)), wxDefaultPosition, wxDefaultSize,
                         wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
  sizer->Add(body_, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);

  sizer->Add(CreateStdDialogButtonSizer(wxOK), 0, wxALIGN_RIGHT | wxALL, 10);
  SetSizer(sizer);
}

wxString MessageDetailDialog::HeadingText() const { return heading_->GetLabel(); }
wxString MessageDetailDialog::B2Text() const { return b2_->GetLabel(); }
wxString MessageDetailDialog::BodyText() const { return body_->GetValue(); }

}  // namespace orvane

using namespace orvane;

void orvane_pi::ShowMessageDetail(int index) {
  if (index < 0 || static_cast<size_t>(index) >= store_.size()) return;
  wxWindowPtr<MessageDetailDialog> dlg(new MessageDetailDialog(nullptr, store_[static_cast<size_t>(index)]));
  PlaceOver(dlg.get(), canvas_);
  RunModal(dlg.get());
}
