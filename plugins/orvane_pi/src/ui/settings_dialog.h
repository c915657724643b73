// The settings dialog: overlay look, chart categories and B2 subjects with
// their colours, and the fetch settings. Opacity, line width, pattern
// fills, the theme, colour previews, NAVAREA ticks in manual mode and the
// fetch buttons act at once; the rest is applied by Save. Cancel puts the
// colour overrides back as they were when the dialog opened.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <wx/dialog.h>

#include "overlay/taxonomy.h"
#include "parse/msi_model.h"

class orvane_pi;
class wxButton;
class wxCheckBox;
class wxCheckListBox;
class wxChoice;
class wxNotebook;
namespace orvane {
class ReceiverPage;
}
class wxPanel;
class wxRadioBox;
class wxScrolledWindow;
class wxSizer;
class wxSlider;
class wxSpinCtrl;
class wxSpinCtrlDouble;
class wxStaticText;
class wxTextCtrl;

namespace orvane {

// A painted sample of a category's bucket; the dialog makes it clickable.
class BucketSwatch;

// Identifiers of the dialog's buttons (Save and Cancel are wxID_OK and wxID_CANCEL).
enum SettingsDialogId {
  kFetchNowButtonId = 9301,
  kCancelFetchButtonId,
  kPurgeStaleCacheButtonId,
  kOpenCacheFolderButtonId,
  kMessageListButtonId,
  kSelectAllNavareasButtonId,
  kNoNavareasButtonId,
};

class SettingsDialog : public wxDialog {
 public:
  // Builds the dialog on the notebook page start_page (limited to the pages
  // there are); records the colour overrides for Cancel, applies the theme
  // and saves the settings, as every opening does.
  SettingsDialog(wxWindow* parent, orvane_pi& plugin, int start_page);

  // What ShowSettingsDialog does with ShowModal's result: wxID_OK applies
  // the settings, anything else puts the colour overrides back.
  void Finish(int return_code);

  // The fetch controls, as Fetch now and Save read them.
  bool ManualMode() const;
  int32_t TickedNavareaMask() const;
  std::string IntervalText() const;
  bool ScheduleEnabled() const;
  bool AdjacentPrefetch() const;
  bool CoastalEnabled() const;
  int FetchGap() const;
  std::string ExtraFeedUrls() const;
  // Fetch now and Cancel fetch switch the two buttons.
  void EnableFetchButtons(bool fetch_now, bool cancel);
  void SetLastFetchText(const wxString& text);

  // Controls, for the tests that drive the dialog.
  wxNotebook* notebook() const { return notebook_; }
  wxChoice* theme_choice() const { return theme_choice_; }
  wxSlider* opacity_slider() const { return opacity_slider_; }
  wxStaticText* opacity_label() const { return opacity_label_; }
  wxSlider* line_width_slider() const { return line_width_slider_; }
  wxStaticText* line_width_label() const { return line_width_label_; }
  wxCheckBox* pattern_box() const { return pattern_box_; }
  wxCheckBox* legend_box() const { return legend_box_; }
  wxSpinCtrlDouble* corridor_spin() const { return corridor_spin_; }
  wxCheckBox* type_box(MsgType t) const { return type_boxes_[t]; }
  wxWindow* type_swatch(MsgType t) const;  // the clickable swatch of a category
  wxButton* reset_button(MsgType t) const { return reset_buttons_[t]; }
  wxCheckBox* b2_box(char letter) const;
  bool LegendRowShown(MsgType t) const;
  bool LegendEmptyTextShown() const;
  wxCheckBox* schedule_box() const { return schedule_box_; }
  wxChoice* interval_choice() const { return interval_choice_; }
  wxRadioBox* mode_radio() const { return mode_radio_; }
  wxCheckBox* adjacent_box() const { return adjacent_box_; }
  wxCheckListBox* navarea_list() const { return navarea_list_; }
  wxTextCtrl* extra_urls() const { return extra_urls_; }
  wxCheckBox* coastal_box() const { return coastal_box_; }
  wxStaticText* registry_label() const { return registry_label_; }
  wxSpinCtrl* gap_spin() const { return gap_spin_; }
  wxStaticText* last_fetch_label() const { return last_fetch_label_; }
  wxStaticText* cache_label() const { return cache_label_; }
  wxButton* fetch_now_button() const { return fetch_now_button_; }
  wxButton* cancel_fetch_button() const { return cancel_fetch_button_; }
  const std::map<MsgType, std::optional<TypeRgb>>& pending_overrides() const { return pending_; }
  ReceiverPage* receiver_page() const { return receiver_page_; }

  // Opens the colour chooser for a category (what a click on its swatch does).
  void PickColour(MsgType t);
  void ResetColour(MsgType t);

 private:
  wxScrolledWindow* BuildOverlayPage(wxWindow* book);
  wxWindow* BuildMessagePage(wxWindow* book);
  wxWindow* BuildFetchPage(wxWindow* book);

  void OnTheme();
  void OnOpacity();
  void OnLineWidth();
  void OnTypeBox(MsgType t);
  void OnB2Box(char letter);
  void OnModeChanged();
  void OnNavareaTicked();
  void OnSave();
  void OnMessageList();
  void UpdateLegend();
  void RepaintSwatches(MsgType t);
  void ApplyAccepted();
  void RestoreColourSnapshot();

  orvane_pi& plugin_;
  std::map<MsgType, std::optional<TypeRgb>> pending_;
  std::map<MsgType, std::optional<TypeRgb>> snapshot_;

  wxNotebook* notebook_ = nullptr;
  wxChoice* theme_choice_ = nullptr;
  wxSlider* opacity_slider_ = nullptr;
  wxStaticText* opacity_label_ = nullptr;
  wxSlider* line_width_slider_ = nullptr;
  wxStaticText* line_width_label_ = nullptr;
  wxCheckBox* pattern_box_ = nullptr;
  wxCheckBox* legend_box_ = nullptr;
  wxSpinCtrlDouble* corridor_spin_ = nullptr;
  wxScrolledWindow* overlay_page_ = nullptr;
  wxSizer* legend_sizer_ = nullptr;
  wxStaticText* legend_empty_ = nullptr;
  std::map<MsgType, wxSizer*> legend_rows_;
  std::array<BucketSwatch*, kMsgTypeCount> legend_swatches_{};

  std::array<wxCheckBox*, kMsgTypeCount> type_boxes_{};
  std::array<BucketSwatch*, kMsgTypeCount> type_swatches_{};
  std::array<wxButton*, kMsgTypeCount> reset_buttons_{};
  std::vector<std::pair<char, wxCheckBox*>> b2_boxes_;

  wxCheckBox* schedule_box_ = nullptr;
  wxChoice* interval_choice_ = nullptr;
  wxRadioBox* mode_radio_ = nullptr;
  wxCheckBox* adjacent_box_ = nullptr;
  wxCheckListBox* navarea_list_ = nullptr;
  wxButton* select_all_button_ = nullptr;
  wxButton* none_button_ = nullptr;
  wxTextCtrl* extra_urls_ = nullptr;
  wxCheckBox* coastal_box_ = nullptr;
  wxStaticText* registry_label_ = nullptr;
  wxSpinCtrl* gap_spin_ = nullptr;
  wxStaticText* last_fetch_label_ = nullptr;
  wxStaticText* cache_label_ = nullptr;
  wxButton* fetch_now_button_ = nullptr;
  wxButton* cancel_fetch_button_ = nullptr;
  ReceiverPage* receiver_page_ = nullptr;
};

}  // namespace orvane
