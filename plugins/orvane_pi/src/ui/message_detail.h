// The detail view: one message as text (category with its colour sample,
// B2 subject and class, title and full text) in a modal window. It only
// shows text; opening it never moves the chart.
#pragma once

#include <string>

#include <wx/dialog.h>

#include "parse/msi_model.h"

class wxStaticText;
class wxTextCtrl;

namespace orvane {

constexpr size_t kDetailBodyMaxBytes = 4000;

// "LABEL - description [colour word]".
std::string DetailHeading(const MsiMessage& m);
// "B2=X description [class]", with "?" for a message without B2 letter.
std::string DetailB2Line(const MsiMessage& m);
// Title, a blank line, then the full text; cut at a character boundary
// after 4000 bytes and marked with a line holding "...".
std::string DetailBody(const MsiMessage& m);

class MessageDetailDialog : public wxDialog {
 public:
  // Reads m once; the dialog keeps no reference to the store.
  MessageDetailDialog(wxWindow* parent, const MsiMessage& m);

  wxString HeadingText() const;
  wxString B2Text() const;
  wxString BodyText() const;
  MsgType type() const { return type_; }

 private:
  MsgType type_;
  wxStaticText* heading_ = nullptr;
  wxStaticText* b2_ = nullptr;
  wxTextCtrl* body_ = nullptr;
};

}  // namespace orvane
