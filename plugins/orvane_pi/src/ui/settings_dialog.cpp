#include "ui/settings_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/colordlg.h>
#include <wx/dcclient.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "fetch/coastal.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "fetch/portal.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "overlay/swatch_dc.h"
#include "parse/geography.h"
#include "settings/settings.h"
#include "ui/cache_ui.h"
#include "ui/modal.h"
#include "ui/nt_dialog.h"
#include "ui/receiver_page.h"
#include "ui/settings_dialog_logic.h"

namespace orvane {

class BucketSwatch : public wxWindow {
 public:
  BucketSwatch(wxWindow* parent, MsgType t, const wxSize& size)
      : wxWindow(parent, wxID_ANY, wxDefaultPosition, size), type_(t) {
    SetMinSize(size);
    SetMaxSize(size);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxPaintDC dc(this);
      PaintBucketSwatch(dc, GetClientSize(), type_);
    });
  }
  MsgType type() const { return type_; }

 private:
  MsgType type_;
};

namespace {

constexpr int kWrapWide = 520;
constexpr int kWrapNarrow = 480;
constexpr int kScrollStep = 12;
const wxSize kLegendSwatchSize(56, 28);
const wxSize kPickSwatchSize(44, 24);
const wxSize kResetButtonSize(56, 24);

wxStaticText* WrappedText(wxWindow* parent, const wxString& text, int width) {
  auto* t = new wxStaticText(parent, wxID_ANY, text);
  t->Wrap(width);
  return t;
}

// The confirmation before a mandatory category or B2 letter is hidden:
// wxYES, wxNO, or kModalShutdown when the plug-in is going away.
int ConfirmMandatoryOff(wxWindow* parent, const char* text) {
  return PluginMessageBox(TrWx(text), TrWx("Mandatory B2 - confirm"), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING,
                          parent);
}

unsigned char ChannelByte(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 1.0f) return 255;
  return static_cast<unsigned char>(v * 255.0f + 0.5f);
}

MsgType TypeAt(int i) { return static_cast<MsgType>(i); }

}  // namespace

SettingsDialog::SettingsDialog(wxWindow* parent, orvane_pi& plugin, int start_page)
    : wxDialog(parent, wxID_ANY, TrWx("Orvane settings"), wxDefaultPosition, wxSize(640, 760),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      plugin_(plugin) {
  for (int i = 0; i < kMsgTypeCount; ++i) pending_[TypeAt(i)] = GetOverride(TypeAt(i));
  SetMinSize(wxSize(540, 640));

  auto* main = new wxBoxSizer(wxVERTICAL);

  auto* header = new wxBoxSizer(wxHORIZONTAL);
  auto* title = new wxStaticText(this, wxID_ANY, TrWx("Orvane settings"));
  wxFont bold = title->GetFont();
  bold.MakeBold();
  title->SetFont(bold);
  header->Add(title, 0, wxALIGN_CENTER_VERTICAL | wxALL, 6);
  header->AddStretchSpacer();
  theme_choice_ = new wxChoice(this, wxID_ANY);
  for (int i = 0; i < kThemeCount; ++i) theme_choice_->Append(TrWx(ThemePaletteOf(i).choice_text));
  theme_choice_->SetSelection(LimitUiTheme(plugin_.settings().ui_theme));
  theme_choice_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnTheme(); });
  header->Add(theme_choice_, 0, wxALIGN_CENTER_VERTICAL | wxALL, 6);
  main->Add(header, 0, wxEXPAND);

  notebook_ = new wxNotebook(this, wxID_ANY);
  notebook_->AddPage(BuildOverlayPage(notebook_), TrWx("Overlay"));
  notebook_->AddPage(BuildMessagePage(notebook_), TrWx("Message settings"));
  notebook_->AddPage(BuildFetchPage(notebook_), TrWx("Fetch settings"));
  receiver_page_ = new ReceiverPage(notebook_, plugin_.settings(), plugin_.ReceiverStatusText());
  notebook_->AddPage(receiver_page_, TrWx("Receiver"));
  notebook_->SetSelection(SettingsStartPage(start_page));
  main->Add(notebook_, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);

  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  auto* list_button = new wxButton(this, kMessageListButtonId, TrWx("Message list..."));
  list_button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnMessageList(); });
  bottom->Add(list_button, 0, wxALL, 6);
  bottom->AddStretchSpacer();
  auto* save = new wxButton(this, wxID_OK, TrWx("Save"));
  save->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSave(); });
  bottom->Add(save, 0, wxALL, 6);
  bottom->Add(new wxButton(this, wxID_CANCEL, TrWx("Cancel")), 0, wxALL, 6);
  main->Add(bottom, 0, wxEXPAND);
  SetSizer(main);

  UpdateLegend();
  OnModeChanged();
  Layout();

  // Colour previews are undone on Cancel back to what the taxonomy held now.
  snapshot_ = pending_;
  // Every opening brings the theme into range, colours the dialog and saves.
  plugin_.SetUiTheme(this, plugin_.settings().ui_theme);
}

wxScrolledWindow* SettingsDialog::BuildOverlayPage(wxWindow* book) {
  const Settings& s = plugin_.settings();
  // Scrolled, so that the last legend rows stay reachable in a small dialog.
  auto* page = new wxScrolledWindow(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  page->SetScrollRate(0, kScrollStep);
  overlay_page_ = page;
  auto* v = new wxBoxSizer(wxVERTICAL);
  v->Add(new wxStaticText(page, wxID_ANY,
                          TrWx("Show overlay stays on the toolbar and message list - not duplicated here.")),
         0, wxALL, 6);

  v->Add(new wxStaticText(page, wxID_ANY, TrWx("Overlay opacity")), 0, wxLEFT | wxRIGHT | wxTOP, 6);
  opacity_slider_ = new wxSlider(page, wxID_ANY, OpacitySliderPosition(s.overlay_alpha), kOpacitySliderMin,
                                 kOpacitySliderMax, wxDefaultPosition, wxDefaultSize, wxSL_HORIZONTAL);
  opacity_slider_->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { OnOpacity(); });
  v->Add(opacity_slider_, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  opacity_label_ = new wxStaticText(page, wxID_ANY, wxString::Format(TrWx("Opacity: %d%%"), opacity_slider_->GetValue()));
  v->Add(opacity_label_, 0, wxLEFT | wxRIGHT, 6);

  v->Add(WrappedText(page,
                     TrWx("Tune against vector-chart blues/greens. Key buckets: orange drill | red military | "
                          "magenta mine | amber SAR | red OTHER (important)."),
                     kWrapWide),
         0, wxALL, 6);

  pattern_box_ = new wxCheckBox(page, wxID_ANY, TrWx("Pattern fills (WEATHER stripe / RESTRICT hatch)"));
  pattern_box_->SetValue(s.pattern_fill);
  pattern_box_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { plugin_.SetPatternFill(pattern_box_->GetValue()); });
  v->Add(pattern_box_, 0, wxALL, 6);
  legend_box_ = new wxCheckBox(page, wxID_ANY, TrWx("Show legend on chart"));
  legend_box_->SetValue(s.show_legend);
  legend_box_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { plugin_.SetShowLegend(legend_box_->GetValue()); });
  v->Add(legend_box_, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);
  auto* corridor_row = new wxBoxSizer(wxHORIZONTAL);
  corridor_row->Add(new wxStaticText(page, wxID_ANY, TrWx("Route corridor width (NM)")), 0,
                    wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  corridor_spin_ = new wxSpinCtrlDouble(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS,
                                        0.1, 5000.0, s.corridor_nm, 1.0);
  corridor_spin_->SetDigits(1);
  corridor_spin_->Bind(wxEVT_SPINCTRLDOUBLE, [this](wxSpinDoubleEvent&) { plugin_.SetCorridorNm(corridor_spin_->GetValue()); });
  corridor_row->Add(corridor_spin_, 0);
  v->Add(corridor_row, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);

  v->Add(new wxStaticText(page, wxID_ANY, TrWx("Overlay line width (px)")), 0, wxLEFT | wxRIGHT | wxTOP, 6);
  line_width_slider_ = new wxSlider(page, wxID_ANY, LineWidthSliderPosition(s.overlay_line_width),
                                    kLineWidthSliderMin, kLineWidthSliderMax, wxDefaultPosition, wxDefaultSize,
                                    wxSL_HORIZONTAL);
  line_width_slider_->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { OnLineWidth(); });
  v->Add(line_width_slider_, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  line_width_label_ =
      new wxStaticText(page, wxID_ANY, wxString::Format(TrWx("Line width: %d px"), line_width_slider_->GetValue()));
  v->Add(line_width_label_, 0, wxLEFT | wxRIGHT, 6);

  v->Add(new wxStaticText(page, wxID_ANY, TrWx("Legend preview")), 0, wxLEFT | wxRIGHT | wxTOP, 6);
  legend_sizer_ = new wxBoxSizer(wxVERTICAL);
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const MsgType t = TypeAt(i);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto* swatch = new BucketSwatch(page, t, kLegendSwatchSize);
    swatch->SetToolTip(wxString::Format(TrWx("%s - %s [%s]"), TypeName(t), TrWx(TypeDescription(t)),
                                        TrWx(TypeColourName(t))));
    legend_swatches_[i] = swatch;
    row->Add(swatch, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    row->Add(new wxStaticText(page, wxID_ANY, TypeName(t)), 0, wxALIGN_CENTER_VERTICAL);
    legend_sizer_->Add(row, 0, wxBOTTOM, 2);
    legend_rows_[t] = row;
  }
  v->Add(legend_sizer_, 0, wxALL, 6);
  legend_empty_ =
      new wxStaticText(page, wxID_ANY, TrWx("Legend preview empty - enable at least one Message category."));
  v->Add(legend_empty_, 0, wxALL, 6);
  page->SetSizer(v);
  page->FitInside();
  return page;
}

wxWindow* SettingsDialog::BuildMessagePage(wxWindow* book) {
  auto* page = new wxPanel(book);
  auto* v = new wxBoxSizer(wxVERTICAL);
  v->Add(WrappedText(page,
                     TrWx("Chart categories (MsgType) - overlay colors. Color \xE2\x89\xA0 B2.\n"
                          "IMO B2 A/B/D/L recommended always on; Z QRU is hidden (no checkbox).\n"
                          "Click a swatch to override RGBA; Reset restores colors.json default."),
                     kWrapWide),
         0, wxALL, 6);
  v->Add(WrappedText(page,
                     TrWx("Defaults (colors.json): DRILLING orange 1.0/0.45/0.05 | MILITARY red 0.90/0.10/0.10 | "
                          "MINE magenta | SAR amber | PIRACY deep-orange | WRECK crimson-brown | DRIFT crimson | "
                          "AIDS blue 0.15/0.50/1.0 | CABLE brown | WEATHER pink-stripe | SPACE violet | RESTRICT "
                          "dark-red hatch | OTHER red important-unclassified. Tuned away from Admiralty water-blue / "
                          "land-green (\xCE\x94RGB>0.05; see orvane_color_guard). Patterns disambiguate colorblind "
                          "pairs (MILITARY/PIRACY/SAR labels; AIDS\xE2\x89\xA0"
                          "depth blue)."),
                     kWrapWide),
         0, wxALL, 6);

  auto* scroll = new wxScrolledWindow(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  scroll->SetScrollRate(0, kScrollStep);
  auto* rows = new wxBoxSizer(wxVERTICAL);
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const MsgType t = TypeAt(i);
    auto* line = new wxBoxSizer(wxHORIZONTAL);
    auto* box = new wxCheckBox(scroll, wxID_ANY,
                               wxString::Format(TrWx("%s - %s [%s]"), TypeName(t), TrWx(TypeDescription(t)),
                                                TrWx(TypeColourName(t))));
    box->SetValue(plugin_.IsTypeVisible(t));
    box->Bind(wxEVT_CHECKBOX, [this, t](wxCommandEvent&) { OnTypeBox(t); });
    type_boxes_[i] = box;
    line->Add(box, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);

    auto* swatch = new BucketSwatch(scroll, t, kPickSwatchSize);
    swatch->SetCursor(wxCursor(wxCURSOR_HAND));
    swatch->SetToolTip(TrWx("Click to pick bucket color"));
    swatch->Bind(wxEVT_LEFT_UP, [this, t](wxMouseEvent&) { PickColour(t); });
    type_swatches_[i] = swatch;
    line->Add(swatch, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);

    auto* reset = new wxButton(scroll, wxID_ANY, TrWx("Reset"), wxDefaultPosition, kResetButtonSize);
    reset->Bind(wxEVT_BUTTON, [this, t](wxCommandEvent&) { ResetColour(t); });
    reset_buttons_[i] = reset;
    line->Add(reset, 0, wxALIGN_CENTER_VERTICAL);
    rows->Add(line, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4);

    wxString note = TrWx(TypeImoNote(t));
    if (t == SAR_OPS || t == PIRACY) note += TrWx(" | SAR alarm (popup/badge) when B2=D enabled");
    rows->Add(WrappedText(scroll, note, kWrapNarrow), 0, wxLEFT | wxRIGHT, 24);
  }

  rows->Add(WrappedText(scroll, TrWx("B2 subject filter (IMO) - chart color still follows MsgType keywords"),
                        kWrapNarrow),
            0, wxALL, 6);
  for (const char* p = kOfferedB2Letters; *p; ++p) {
    const char letter = *p;
    const bool mandatory = B2ClassOf(letter) == B2_MANDATORY;
    auto* line = new wxBoxSizer(wxHORIZONTAL);
    auto* box = new wxCheckBox(scroll, wxID_ANY,
                               wxString::Format(TrWx("%c - %s (%s)"), letter, TrWx(B2Description(letter)),
                                                TrWx(B2ClassName(B2ClassOf(letter)))));
    box->SetValue(plugin_.IsB2Visible(letter));
    box->Bind(wxEVT_CHECKBOX, [this, letter](wxCommandEvent&) { OnB2Box(letter); });
    b2_boxes_.emplace_back(letter, box);
    line->Add(box, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    if (mandatory)
      line->Add(new wxStaticText(scroll, wxID_ANY, TrWx("IMO mandatory - recommended always on")), 0,
                wxALIGN_CENTER_VERTICAL);
    rows->Add(line, 0, wxLEFT | wxRIGHT | wxTOP, 4);
  }
  scroll->SetSizer(rows);
  scroll->FitInside();
  v->Add(scroll, 1, wxEXPAND | wxALL, 4);
  page->SetSizer(v);
  return page;
}

wxWindow* SettingsDialog::BuildFetchPage(wxWindow* book) {
  const Settings& s = plugin_.settings();
  auto* page = new wxScrolledWindow(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  page->SetScrollRate(0, kScrollStep);
  auto* v = new wxBoxSizer(wxVERTICAL);
  const int pad = wxLEFT | wxRIGHT | wxTOP;

  schedule_box_ = new wxCheckBox(page, wxID_ANY, TrWx("Enable scheduled auto-fetch"));
  schedule_box_->SetValue(s.fetch_schedule_enabled);
  v->Add(schedule_box_, 0, pad, 6);

  auto* interval_row = new wxBoxSizer(wxHORIZONTAL);
  interval_row->Add(new wxStaticText(page, wxID_ANY, TrWx("Auto-fetch interval (minutes)")), 0,
                    wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  interval_choice_ = new wxChoice(page, wxID_ANY);
  const IntervalChoice items = IntervalChoiceItems(s.fetch_interval_min);
  for (const std::string& item : items.items) interval_choice_->Append(ToWx(item));
  interval_choice_->SetSelection(items.selected);
  interval_row->Add(interval_choice_, 0, wxALIGN_CENTER_VERTICAL);
  v->Add(interval_row, 0, pad, 6);

  const wxString modes[] = {TrWx("Auto (ship position)"), TrWx("Manual checklist")};
  mode_radio_ = new wxRadioBox(page, wxID_ANY, TrWx("NAVAREA mode"), wxDefaultPosition, wxDefaultSize, 2, modes, 1,
                               wxRA_SPECIFY_COLS);
  mode_radio_->SetSelection(s.navarea_auto ? 0 : 1);
  mode_radio_->Bind(wxEVT_RADIOBOX, [this](wxCommandEvent&) { OnModeChanged(); });
  v->Add(mode_radio_, 0, pad, 6);

  adjacent_box_ = new wxCheckBox(page, wxID_ANY, TrWx("Prefetch adjacent NAVAREAs near ship (auto mode)"));
  adjacent_box_->SetValue(s.adjacent_prefetch);
  v->Add(adjacent_box_, 0, pad, 6);

  v->Add(new wxStaticText(page, wxID_ANY, TrWx("NAVAREA (manual checklist)")), 0, pad, 6);
  navarea_list_ = new wxCheckListBox(page, wxID_ANY, wxDefaultPosition, wxSize(-1, 130));
  for (int n = 1; n <= 21; ++n) {
    navarea_list_->Append(wxString::Format(TrWx("NAVAREA %s (%d)"), ToWx(NavareaNumeral(n)), n));
    navarea_list_->Check(n - 1, (s.navarea_mask >> (n - 1)) & 1);
  }
  navarea_list_->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent&) { OnNavareaTicked(); });
  v->Add(navarea_list_, 0, wxEXPAND | pad, 6);
  auto* select_row = new wxBoxSizer(wxHORIZONTAL);
  select_all_button_ = new wxButton(page, kSelectAllNavareasButtonId, TrWx("Select All"));
  none_button_ = new wxButton(page, kNoNavareasButtonId, TrWx("None"));
  // Ticks only; the selection reaches the settings by a tick, Fetch now or Save.
  select_all_button_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    for (unsigned i = 0; i < navarea_list_->GetCount(); ++i) navarea_list_->Check(i, true);
  });
  none_button_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    for (unsigned i = 0; i < navarea_list_->GetCount(); ++i) navarea_list_->Check(i, false);
  });
  select_row->Add(select_all_button_, 0, wxRIGHT, 6);
  select_row->Add(none_button_, 0);
  v->Add(select_row, 0, pad, 6);

  v->Add(WrappedText(page, TrWx("Extra feed URLs (one per line) - in addition to Quorvant NAVAREA pages:"), kWrapWide),
         0, pad, 6);
  extra_urls_ = new wxTextCtrl(page, wxID_ANY, ToWx(s.extra_feed_urls), wxDefaultPosition, wxSize(-1, 100),
                               wxTE_MULTILINE);
  v->Add(extra_urls_, 0, wxEXPAND | pad, 6);

  coastal_box_ = new wxCheckBox(page, wxID_ANY, TrWx("Fetch coastal hubs (/navtex/ + /coastal/)"));
  coastal_box_->SetValue(s.coastal_feeds_enabled);
  v->Add(coastal_box_, 0, pad, 6);

  registry_label_ = WrappedText(page, ToWx(CoastalRegistrySummary()), kWrapWide);
  v->Add(registry_label_, 0, pad, 6);

  auto* gap_row = new wxBoxSizer(wxHORIZONTAL);
  gap_row->Add(new wxStaticText(page, wxID_ANY, TrWx("Min GET gap (ms, \xE2\x89\xA5" "750):")), 0,
               wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  gap_spin_ = new wxSpinCtrl(page, wxID_ANY, wxString::Format("%d", s.fetch_gap_ms), wxDefaultPosition,
                             wxSize(100, -1), wxSP_ARROW_KEYS, kFetchGapSpinMin, kFetchGapSpinMax, s.fetch_gap_ms);
  gap_row->Add(gap_spin_, 0, wxALIGN_CENTER_VERTICAL);
  v->Add(gap_row, 0, pad, 6);

  v->Add(WrappedText(page,
                     TrWx("Rate limit: polite gaps between GETs; no contributor-gated API forced. Not an unlimited "
                          "scraper. Max concurrent = 1."),
                     kWrapWide),
         0, pad, 6);
  last_fetch_label_ = WrappedText(page, TrWx("Last fetch: ") + ToWx(plugin_.status_text()), kWrapWide);
  v->Add(last_fetch_label_, 0, pad, 6);
  const std::string base = StripTrailingSlashes(PortalBaseUrl());
  v->Add(WrappedText(page, wxString::Format(TrWx("Quorvant: %s/navarea/{n}/messages/  (n=1..21)"), ToWx(base)),
                     kWrapWide),
         0, pad, 6);
  cache_label_ = new wxStaticText(page, wxID_ANY, ToWx(CacheSizeReport(&Tr)));
  v->Add(cache_label_, 0, pad, 6);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  fetch_now_button_ = new wxButton(page, kFetchNowButtonId, TrWx("Fetch now"));
  cancel_fetch_button_ = new wxButton(page, kCancelFetchButtonId, TrWx("Cancel fetch"));
  auto* purge = new wxButton(page, kPurgeStaleCacheButtonId, TrWx("Purge stale cache"));
  auto* open = new wxButton(page, kOpenCacheFolderButtonId, TrWx("Open cache folder"));
  const bool busy = plugin_.fetch_busy();
  EnableFetchButtons(!busy, busy);
  fetch_now_button_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { plugin_.FetchNowCommand(*this); });
  cancel_fetch_button_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { plugin_.CancelFetchCommand(*this); });
  purge->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    ConfirmAndPurgeCache(this, &plugin_, last_fetch_label_, cache_label_);
    last_fetch_label_->Wrap(kWrapWide);
    Layout();
  });
  open->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { OpenCacheFolder(); });
  for (wxButton* b : {fetch_now_button_, cancel_fetch_button_, purge, open}) buttons->Add(b, 0, wxRIGHT, 6);
  v->Add(buttons, 0, wxALL, 6);

  page->SetSizer(v);
  page->FitInside();
  return page;
}

bool SettingsDialog::ManualMode() const { return mode_radio_->GetSelection() == 1; }

int32_t SettingsDialog::TickedNavareaMask() const {
  std::vector<bool> ticked;
  for (unsigned i = 0; i < navarea_list_->GetCount(); ++i) ticked.push_back(navarea_list_->IsChecked(i));
  return NavareaMaskFromTicks(ticked);
}

std::string SettingsDialog::IntervalText() const { return FromWx(interval_choice_->GetStringSelection()); }
bool SettingsDialog::ScheduleEnabled() const { return schedule_box_->GetValue(); }
bool SettingsDialog::AdjacentPrefetch() const { return adjacent_box_->GetValue(); }
bool SettingsDialog::CoastalEnabled() const { return coastal_box_->GetValue(); }
int SettingsDialog::FetchGap() const { return gap_spin_->GetValue(); }
std::string SettingsDialog::ExtraFeedUrls() const { return FromWx(extra_urls_->GetValue()); }

void SettingsDialog::EnableFetchButtons(bool fetch_now, bool cancel) {
  fetch_now_button_->Enable(fetch_now);
  cancel_fetch_button_->Enable(cancel);
}

void SettingsDialog::SetLastFetchText(const wxString& text) {
  last_fetch_label_->SetLabel(text);
  last_fetch_label_->Wrap(kWrapWide);
  Layout();
}

wxWindow* SettingsDialog::type_swatch(MsgType t) const { return type_swatches_[t]; }

wxCheckBox* SettingsDialog::b2_box(char letter) const {
  for (const auto& [l, box] : b2_boxes_)
    if (l == letter) return box;
  return nullptr;
}

bool SettingsDialog::LegendRowShown(MsgType t) const {
  auto it = legend_rows_.find(t);
  return it != legend_rows_.end() && legend_sizer_->IsShown(it->second);
}

bool SettingsDialog::LegendEmptyTextShown() const { return legend_empty_->IsShown(); }

void SettingsDialog::OnTheme() { plugin_.SetUiTheme(this, theme_choice_->GetSelection()); }

void SettingsDialog::OnOpacity() {
  const int v = opacity_slider_->GetValue();
  opacity_label_->SetLabel(wxString::Format(TrWx("Opacity: %d%%"), v));
  plugin_.SetOverlayAlpha(v / 100.0);
}

void SettingsDialog::OnLineWidth() {
  const int v = line_width_slider_->GetValue();
  line_width_label_->SetLabel(wxString::Format(TrWx("Line width: %d px"), v));
  plugin_.SetOverlayLineWidth(v);
}

void SettingsDialog::OnTypeBox(MsgType t) {
  wxCheckBox* box = type_boxes_[t];
  if (!box->GetValue() && IsMandatoryType(t)) {
    const int answer = ConfirmMandatoryOff(this,
                                           "This bucket is tied to mandatory IMO B2 (A/L, B, or D).\nHiding it is "
                                           "strongly discouraged for watchkeeping.\n\nDisable anyway?");
    if (answer == kModalShutdown) return;
    if (answer != wxYES) box->SetValue(true);
  }
  UpdateLegend();
}

void SettingsDialog::OnB2Box(char letter) {
  wxCheckBox* box = b2_box(letter);
  if (!box->GetValue() && B2ClassOf(letter) == B2_MANDATORY) {
    const int answer = ConfirmMandatoryOff(
        this, "B2 letter is IMO mandatory (A/B/D/L).\nDisabling is strongly discouraged.\n\nDisable anyway?");
    if (answer != wxYES && answer != kModalShutdown) box->SetValue(true);
  }
}

void SettingsDialog::OnModeChanged() {
  const bool manual = ManualMode();
  navarea_list_->Enable(manual);
  select_all_button_->Enable(manual);
  none_button_->Enable(manual);
  adjacent_box_->Enable(!manual);
}

void SettingsDialog::OnNavareaTicked() {
  if (ManualMode()) plugin_.SetNavareaMask(TickedNavareaMask());
}

void SettingsDialog::UpdateLegend() {
  bool any = false;
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const bool on = type_boxes_[i]->GetValue();
    legend_sizer_->Show(legend_rows_[TypeAt(i)], on, true);
    any = any || on;
  }
  // With every row hidden the legend is gone; the empty text says why.
  legend_empty_->Show(!any);
  overlay_page_->Layout();
  overlay_page_->FitInside();
}

void SettingsDialog::RepaintSwatches(MsgType t) {
  type_swatches_[t]->Refresh();
  legend_swatches_[t]->Refresh();
}

void SettingsDialog::PickColour(MsgType t) {
  const TypeRgb now = EffectiveRgba(t);
  wxColourData data;
  data.SetChooseFull(true);
  data.SetColour(wxColour(ChannelByte(now.r), ChannelByte(now.g), ChannelByte(now.b)));
  wxWindowPtr<wxColourDialog> picker(new wxColourDialog(nullptr, &data));
  PlaceOver(picker.get(), this);
  if (RunModal(picker.get()) != wxID_OK) return;
  const wxColour c = picker->GetColourData().GetColour();
  if (!c.IsOk()) return;
  const TypeRgb chosen{c.Red() / 255.0f, c.Green() / 255.0f, c.Blue() / 255.0f, now.a > 0.05f ? now.a : 0.55f};
  pending_[t] = chosen;
  SetOverride(t, chosen);  // the chart previews it at once
  RepaintSwatches(t);
  plugin_.RequestCanvasRefresh();
}

void SettingsDialog::ResetColour(MsgType t) {
  pending_[t].reset();
  ClearOverride(t);
  RepaintSwatches(t);
  plugin_.RequestCanvasRefresh();
}

void SettingsDialog::OnSave() {
  if (NavareaSelectionMissing(ManualMode(), TickedNavareaMask())) {
    PluginMessageBox(TrWx("Manual mode requires at least one NAVAREA."), TrWx("Orvane settings"),
                     wxOK | wxICON_WARNING, this);
    return;
  }
  SetReturnCode(wxID_OK);
  EndDialog(wxID_OK);
}

void SettingsDialog::OnMessageList() {
  NtDialog* w = plugin_.message_window();
  if (!w) return;
  w->RefreshList();
  w->Show();
  w->Raise();
}

void SettingsDialog::Finish(int return_code) {
  if (return_code == wxID_OK)
    ApplyAccepted();
  else
    RestoreColourSnapshot();
}

void SettingsDialog::ApplyAccepted() {
  plugin_.SetFetchIntervalMin(IntervalFromText(IntervalText()));
  plugin_.SetFetchScheduleEnabled(ScheduleEnabled());
  plugin_.SetNavareaAuto(!ManualMode());
  plugin_.SetAdjacentPrefetch(AdjacentPrefetch());
  plugin_.SetCoastalFeedsEnabled(CoastalEnabled());
  plugin_.SetFetchGapMs(FetchGap());
  plugin_.SetExtraFeedUrls(ExtraFeedUrls());
  plugin_.SetNavareaMask(TickedNavareaMask());
  plugin_.SetOverlayAlpha(opacity_slider_->GetValue() / 100.0);
  plugin_.SetOverlayLineWidth(line_width_slider_->GetValue());
  plugin_.SetPatternFill(pattern_box_->GetValue());
  plugin_.SetShowLegend(legend_box_->GetValue());
  plugin_.SetCorridorNm(corridor_spin_->GetValue());
  for (int i = 0; i < kMsgTypeCount; ++i) plugin_.SetTypeVisible(TypeAt(i), type_boxes_[i]->GetValue());
  // Mandatory letters stay set whatever their box says, and Z is never
  // offered, so its bit stays clear as the load left it.
  for (const auto& [letter, box] : b2_boxes_) plugin_.SetB2Visible(letter, box->GetValue());
  for (const auto& [t, colour] : pending_) {
    if (colour)
      SetOverride(t, *colour);
    else
      ClearOverride(t);
  }
  // The receiver restarts only when its settings changed.
  const Settings receiver = receiver_page_->Collect(plugin_.settings());
  const Settings& now = plugin_.settings();
  if (receiver.receiver_source != now.receiver_source || receiver.receiver_serial_device != now.receiver_serial_device ||
      receiver.receiver_baud != now.receiver_baud || receiver.receiver_tcp != now.receiver_tcp ||
      receiver.receiver_udp != now.receiver_udp || receiver.receiver_file != now.receiver_file ||
      receiver.receiver_garbled_percent != now.receiver_garbled_percent ||
      receiver.receiver_b1_mask != now.receiver_b1_mask || receiver.receiver_b2_mask != now.receiver_b2_mask)
    plugin_.SetReceiverSettings(receiver);
  plugin_.SaveSettings();
  plugin_.RefreshStatus();
  if (wxWindow* canvas = plugin_.canvas_window()) RequestRefresh(canvas);
}

void SettingsDialog::RestoreColourSnapshot() {
  for (const auto& [t, colour] : snapshot_) {
    if (colour)
      SetOverride(t, *colour);
    else
      ClearOverride(t);
  }
  plugin_.RequestCanvasRefresh();
}

}  // namespace orvane

bool orvane_pi::ShowSettingsDialog(wxWindow* parent, int page) {
  settings_start_page_ = page;
  ++settings_dialog_opens_;
  wxWindowPtr<orvane::SettingsDialog> dialog(new orvane::SettingsDialog(nullptr, *this, page));
  orvane::PlaceOver(dialog.get(), parent);
  const int rc = orvane::RunModal(dialog.get());
  // Closed by DeInit: this object is going away.
  if (rc == orvane::kModalShutdown) return false;
  dialog->Finish(rc);
  return true;
}

void orvane_pi::FetchNowCommand(orvane::SettingsDialog& d) {
  using namespace orvane;
  if (fetch_busy()) return;
  const bool manual = d.ManualMode();
  const int32_t mask = d.TickedNavareaMask();
  if (NavareaSelectionMissing(manual, mask)) {
    PluginMessageBox(TrWx("Select at least one NAVAREA (manual mode)."), TrWx("Orvane fetch"),
                     wxOK | wxICON_INFORMATION, &d);
    return;
  }
  SetNavareaAuto(!manual);
  if (manual) SetNavareaMask(mask);
  SetExtraFeedUrls(d.ExtraFeedUrls());
  SetFetchScheduleEnabled(d.ScheduleEnabled());
  SetCoastalFeedsEnabled(d.CoastalEnabled());
  SetAdjacentPrefetch(d.AdjacentPrefetch());
  SetFetchGapMs(d.FetchGap());
  SetFetchIntervalMin(IntervalFromText(d.IntervalText()));
  d.EnableFetchButtons(false, true);
  StartFetch();
  d.SetLastFetchText(TrWx("Last fetch: ") + ToWx(status_text_));
}

void orvane_pi::CancelFetchCommand(orvane::SettingsDialog& d) {
  using namespace orvane;
  SetFetchCancel(true);
  d.SetLastFetchText(TrWx("Last fetch: cancel requested\xE2\x80\xA6"));
  d.cancel_fetch_button()->Disable();
}
