// The settings dialog's Receiver page: where the ship's NAVTEX receiver is
// read from, and which of its messages are kept.
#pragma once

#include <wx/panel.h>

#include "settings/settings.h"

class wxButton;
class wxChoice;
class wxSpinCtrlDouble;
class wxStaticText;
class wxTextCtrl;

namespace orvane {

class ReceiverPage : public wxPanel {
 public:
  ReceiverPage(wxWindow* parent, const Settings& s, const std::string& status);
  // The receiver's part of `base`, as the page's controls now say.
  Settings Collect(const Settings& base) const;
  void SetStatus(const std::string& status);

  // Controls, for the tests that drive the page.
  wxChoice* source_choice() const { return source_; }
  wxTextCtrl* device_text() const { return device_; }
  wxChoice* baud_choice() const { return baud_; }
  wxTextCtrl* tcp_text() const { return tcp_; }
  wxTextCtrl* udp_text() const { return udp_; }
  wxTextCtrl* file_text() const { return file_; }
  wxButton* browse_button() const { return browse_; }
  wxSpinCtrlDouble* garbled_spin() const { return garbled_; }
  wxTextCtrl* b1_text() const { return b1_; }
  wxTextCtrl* b2_text() const { return b2_; }
  wxStaticText* status_label() const { return status_; }

 private:
  void OnSource();
  void OnBrowse();

  wxChoice* source_ = nullptr;
  wxTextCtrl* device_ = nullptr;
  wxChoice* baud_ = nullptr;
  wxTextCtrl* tcp_ = nullptr;
  wxTextCtrl* udp_ = nullptr;
  wxTextCtrl* file_ = nullptr;
  wxButton* browse_ = nullptr;
  wxSpinCtrlDouble* garbled_ = nullptr;
  wxTextCtrl* b1_ = nullptr;
  wxTextCtrl* b2_ = nullptr;
  wxStaticText* status_ = nullptr;
};

}  // namespace orvane
