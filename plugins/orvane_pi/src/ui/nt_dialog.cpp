#include "ui/nt_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <cstdlib>

#include "common/clock.h"
#include "common/text.h"
#include "fetch/fetch_control.h"
#include "fetch/portal.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "overlay/legend.h"
#include "overlay/taxonomy.h"
#include "parse/bulletin.h"
#include "parse/geography.h"
#include "ui/cache_ui.h"
#include "ui/modal.h"
#include "ui/theme.h"

namespace orvane {
namespace {

unsigned char Channel(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 1.0f) return 255;
  return static_cast<unsigned char>(v * 255.0f);
}

wxColour OpaqueColourOf(MsgType t) {
  const TypeRgb c = EffectiveRgba(t);
  return wxColour(Channel(c.r), Channel(c.g), Channel(c.b));
}

// Sets a label only when its text changes, so an unchanged status line
// does not flicker or cost a relayout.
void SetLabelIfDifferent(wxStaticText* label, const wxString& text) {
  if (label && label->GetLabel() != text) label->SetLabel(text);
}

struct PatternMarkRow {
  PatternKind kind;
  const char* mark;
};
constexpr PatternMarkRow kPatternMarks[] = {
    {PATTERN_STRIPE, "[//] "},
    {PATTERN_HATCH, "[##] "},
    {PATTERN_NONE, "[#] "},
};

const char* kRangeItems[] = {"20", "50", "100", "200", "500", "1000", "ALL"};

}  // namespace

bool ListedInWindow(const MsiMessage& m) { return B2ClassOf(m.b2) != B2_HIDDEN; }

const char* PatternMark(MsgType t) {
  const PatternKind k = PatternKindOf(t);
  for (const PatternMarkRow& row : kPatternMarks)
    if (row.kind == k) return row.mark;
  return "[#] ";
}

ListRow ListRowOf(const MsiMessage& m, int index, bool type_visible) {
  ListRow row;
  row.index = index;
  row.type = TypeLabel(m.type);
  row.colour = std::string(PatternMark(m.type)) + TypeColourName(m.type);
  row.geoms = std::to_string(m.geoms.size());
  // Titles are at most 80 bytes already; a cut here never splits a character.
  row.title = m.title.empty() ? CutUtf8(m.raw_text, kListPreviewBytes) : CutUtf8(m.title, kTitleMaxBytes);
  if (!type_visible) row.title = "[hidden] " + row.title;
  const TypeRgb c = EffectiveRgba(m.type);
  row.r = Channel(c.r);
  row.g = Channel(c.g);
  row.b = Channel(c.b);
  return row;
}

wxString GpsHintText(int navarea, bool have_fix, double lat, double lon) {
  if (navarea < 1) return TrWx("GPS NAVAREA hint: - (no fix; use checklist + Fetch)");
  const wxString at = have_fix ? wxString::Format(" @ %.2f, %.2f", lat, lon) : wxString();
  return wxString::Format(TrWx("GPS NAVAREA hint: %s (%d)%s"), ToWx(NavareaNumeral(navarea)), navarea, at);
}

wxString StatusLineText(size_t visible, size_t total, bool gl, bool range_all, double range_nm, bool route_box,
                        bool has_active_route) {
  const wxString range = range_all ? wxString("ALL") : wxString::Format(TrWx("%.0f NM"), range_nm);
  wxString route;
  if (route_box)
    route = has_active_route ? TrWx(" | route filter: ON") : TrWx(" | route filter: no active route (no-op)");
  return wxString::Format(TrWx("Status: visible %zu / %zu | %s | range %s%s"), visible, total,
                          gl ? "GL" : "DC", range, route);
}

wxString HoverLineText(const wxString& hover) {
  return hover.empty() ? TrWx("Hover: -") : TrWx("Hover: ") + hover;
}

const std::vector<std::string>& RangeChoiceItems() {
  static const std::vector<std::string> items(std::begin(kRangeItems), std::end(kRangeItems));
  return items;
}

int RangeChoiceIndex(bool range_all, double range_nm) {
  const std::vector<std::string>& items = RangeChoiceItems();
  if (range_all) return static_cast<int>(items.size()) - 1;
  for (size_t i = 0; i + 1 < items.size(); ++i)
    if (std::fabs(std::atof(items[i].c_str()) - range_nm) <= 0.5) return static_cast<int>(i);
  return 5;  // "1000": the widest limit the choice offers
}

double RangeFromChoiceText(const std::string& text) {
  if (text == "ALL") return -1.0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0') return 200.0;
  return static_cast<double>(v);
}

std::string ShowResultBox(wxWindow* parent, const std::string& text, const wxString& caption) {
  if (text.empty()) return text;
  PluginMessageBox(ToWx(text), caption, wxOK | wxICON_INFORMATION, parent);
  return text;
}

std::string RunExportParcel(wxWindow* parent, orvane_pi* plugin) {
  if (!plugin) return {};
  return ShowResultBox(parent, plugin->ExportParcel(), TrWx("Orvane parcel"));
}

std::string RunImportParcel(wxWindow* parent, orvane_pi* plugin) {
  if (!plugin) return {};
  wxWindowPtr<wxFileDialog> dlg(new wxFileDialog(nullptr, TrWx("Import parcel"), wxEmptyString, wxEmptyString,
                                                 TrWx("Parcels (*.json;*.zip)|*.json;*.zip|All files (*)|*"),
                                                 wxFD_OPEN | wxFD_FILE_MUST_EXIST));
  PlaceOver(dlg.get(), parent);
  if (RunModal(dlg.get()) != wxID_OK) return {};
  return ShowResultBox(parent, plugin->ImportParcel(FromWx(dlg->GetPath())), TrWx("Orvane parcel"));
}

std::string RunCorridorHint(wxWindow* parent, orvane_pi* plugin) {
  if (!plugin) return {};
  return ShowResultBox(parent, plugin->RouteCorridorHint(), TrWx("Orvane route corridor"));
}

std::string RunWriteReport(wxWindow* parent, orvane_pi* plugin, bool print) {
  if (!plugin) return {};
  return ShowResultBox(parent, plugin->WriteReport(print), TrWx("Orvane report"));
}

// clang-format off
wxBEGIN_EVENT_TABLE(NtDialog, wxFrame)
  EVT_CLOSE(NtDialog::OnClose)
  EVT_CHECKBOX(kShowCheckId, NtDialog::OnShowCheck)
  EVT_CHECKBOX(kRouteCheckId, NtDialog::OnRouteCheck)
  EVT_CHOICE(kRangeChoiceId, NtDialog::OnRangeChoice)
  EVT_CHOICE(kThemeChoiceId, NtDialog::OnThemeChoice)
  EVT_BUTTON(kLoadFixtureButtonId, NtDialog::OnLoadFixture)
  EVT_BUTTON(kParsePastedButtonId, NtDialog::OnParsePasted)
  EVT_BUTTON(kFetchSelectedButtonId, NtDialog::OnFetchSelected)
  EVT_BUTTON(kAllNavareaButtonId, NtDialog::OnAllNavarea)
  EVT_BUTTON(kNoNavareaButtonId, NtDialog::OnNoNavarea)
  EVT_CHECKLISTBOX(kNavareaListId, NtDialog::OnNavareaToggled)
  EVT_BUTTON(kOpenCacheButtonId, NtDialog::OnOpenCache)
  EVT_BUTTON(kExportParcelButtonId, NtDialog::OnExportParcel)
  EVT_BUTTON(kImportParcelButtonId, NtDialog::OnImportParcel)
  EVT_BUTTON(kCorridorHintButtonId, NtDialog::OnCorridorHint)
  EVT_BUTTON(kPurgeCacheButtonId, NtDialog::OnPurgeCache)
  EVT_BUTTON(kExportReportButtonId, NtDialog::OnExportReport)
  EVT_BUTTON(kPrintReportButtonId, NtDialog::OnPrintReport)
  EVT_BUTTON(kArrivalLogButtonId, NtDialog::OnArrivalLog)
  EVT_CHECKBOX(kArchiveCheckId, NtDialog::OnArchiveCheck)
  EVT_CHECKBOX(kAdmiraltyCheckId, NtDialog::OnAdmiraltyCheck)
  EVT_CHECKBOX(kNgaCheckId, NtDialog::OnNgaCheck)
  EVT_TIMER(kFetchScheduleTimerId, NtDialog::OnScheduleTimer)
  EVT_MENU(kFetchResultEventId, NtDialog::OnFetchResultEvent)
  EVT_LIST_ITEM_SELECTED(kMessageListId, NtDialog::OnListSelected)
  EVT_LIST_ITEM_ACTIVATED(kMessageListId, NtDialog::OnListActivated)
  EVT_COMMAND_RANGE(kTypeCheckBaseId, kTypeCheckBaseId + kMsgTypeCount - 1, wxEVT_CHECKBOX, NtDialog::OnTypeCheck)
wxEND_EVENT_TABLE()
// clang-format on

NtDialog::NtDialog(wxWindow* parent, orvane_pi* plugin)
    : wxFrame(parent, wxID_ANY, TrWx("Orvane - MSI Overlay"), wxDefaultPosition, wxSize(720, 820),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      plugin_(plugin),
      schedule_timer_(this, kFetchScheduleTimerId) {
  SetMinSize(wxSize(560, 520));
  auto* top = new wxPanel(this);
  auto* sizer = new wxBoxSizer(wxVERTICAL);

  auto* header_row = new wxBoxSizer(wxHORIZONTAL);
  header_ = new wxStaticText(
      top, wxID_ANY,
      TrWx("Orvane MSI overlay \xE2\x80\x94 Quorvant live NAVAREA feed. Ship NAVTEX receiver remains primary watch."));
  header_->Wrap(520);
  header_row->Add(header_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  wxArrayString themes;
  themes.Add(TrWx("Theme: System"));
  themes.Add(TrWx("Theme: Dark"));
  themes.Add(TrWx("Theme: Light"));
  theme_choice_ = new wxChoice(top, kThemeChoiceId, wxDefaultPosition, wxDefaultSize, themes);
  const int theme = plugin_ ? LimitUiTheme(plugin_->settings().ui_theme) : 0;
  theme_choice_->SetSelection(theme);
  header_row->Add(theme_choice_, 0, wxALIGN_CENTER_VERTICAL);
  sizer->Add(header_row, 0, wxEXPAND | wxALL, 6);

  auto* book = new wxNotebook(top, wxID_ANY);
  auto* messages = new wxPanel(book);
  auto* fetch = new wxPanel(book);
  auto* overlay = new wxPanel(book);
  auto* colors = new wxPanel(book);
  BuildMessagesPage(messages);
  BuildFetchPage(fetch);
  BuildOverlayPage(overlay);
  BuildColorsPage(colors);
  book->AddPage(messages, TrWx("Messages"), true);
  book->AddPage(fetch, TrWx("Fetch"));
  book->AddPage(overlay, TrWx("Overlay"));
  book->AddPage(colors, TrWx("Colors"));
  sizer->Add(book, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
  top->SetSizer(sizer);
  auto* frame_sizer = new wxBoxSizer(wxVERTICAL);
  frame_sizer->Add(top, 1, wxEXPAND);
  SetSizer(frame_sizer);

  if (plugin_) {
    // Opening the window always shows the overlay with no range limit.
    plugin_->SetShow(true);
    plugin_->SetRange(-1.0);
    // Stores the theme back: a value out of range is replaced by the system theme.
    plugin_->SetUiTheme(this, plugin_->settings().ui_theme);
  } else {
    ApplyTheme(this, 0);
  }
  RefreshList();
}

NtDialog::~NtDialog() {
  if (schedule_timer_.IsRunning()) schedule_timer_.Stop();
}

void NtDialog::BuildMessagesPage(wxWindow* page) {
  auto* s = new wxBoxSizer(wxVERTICAL);
  s->Add(new wxStaticText(page, wxID_ANY, TrWx("Double-click opens text only (no pan/zoom). Source: Quorvant.")), 0,
         wxALL, 6);
  list_ = new wxListCtrl(page, kMessageListId, wxDefaultPosition, wxDefaultSize,
                         wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES);
  list_->SetMinSize(wxSize(450, 280));
  list_->AppendColumn(TrWx("Type"), wxLIST_FORMAT_LEFT, 130);
  list_->AppendColumn(TrWx("Color"), wxLIST_FORMAT_LEFT, 110);
  list_->AppendColumn(TrWx("Geoms"), wxLIST_FORMAT_LEFT, 55);
  list_->AppendColumn(TrWx("Title / preview"), wxLIST_FORMAT_LEFT, 300);
  s->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);
  status_ = new wxStaticText(page, wxID_ANY, TrWx("Status: msgs 0"));
  s->Add(status_, 0, wxEXPAND | wxALL, 6);
  hover_ = new wxStaticText(page, wxID_ANY, TrWx("Hover: -"));
  hover_->Wrap(560);
  s->Add(hover_, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxButton(page, kExportReportButtonId, TrWx("Export Report")), 0, wxRIGHT, 6);
  row->Add(new wxButton(page, kPrintReportButtonId, TrWx("Print Report")), 0, wxRIGHT, 6);
  row->Add(new wxButton(page, kArrivalLogButtonId, TrWx("Open arrival log")), 0);
  s->Add(row, 0, wxALL, 6);
  page->SetSizer(s);
}

void NtDialog::BuildFetchPage(wxWindow* page) {
  auto* s = new wxBoxSizer(wxVERTICAL);
  const std::string base = kPortalBaseUrl;
  s->Add(new wxStaticText(page, wxID_ANY,
                          TrWx("Quorvant: ") + ToWx(base + "/navarea/{n}/messages/") + "\n" +
                              TrWx("Check NAVAREAs then Fetch \xE2\x80\x94 all checked areas download.")),
         0, wxALL, 6);
  wxArrayString areas;
  for (int n = 1; n <= kNavareaItemCount; ++n)
    areas.Add(wxString::Format(TrWx("NAVAREA %s (%d)"), ToWx(NavareaNumeral(n)), n));
  navarea_list_ = new wxCheckListBox(page, kNavareaListId, wxDefaultPosition, wxSize(-1, 220), areas);
  s->Add(navarea_list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);
  auto* boxes = new wxBoxSizer(wxHORIZONTAL);
  archive_check_ = new wxCheckBox(page, kArchiveCheckId, TrWx("Include archive"));
  admiralty_check_ = new wxCheckBox(page, kAdmiraltyCheckId, TrWx("Admiralty UKHO"));
  nga_check_ = new wxCheckBox(page, kNgaCheckId, TrWx("NGA NavWarnings"));
  boxes->Add(archive_check_, 0, wxRIGHT, 10);
  boxes->Add(admiralty_check_, 0, wxRIGHT, 10);
  boxes->Add(nga_check_, 0);
  s->Add(boxes, 0, wxALL, 6);
  if (plugin_) {
    SetNavareaChecks(plugin_->settings().navarea_mask);
    archive_check_->SetValue(plugin_->settings().include_archive);
    admiralty_check_->SetValue(plugin_->settings().admiralty_html_enabled);
    nga_check_->SetValue(plugin_->settings().nga_html_enabled);
  }
  std::string domain = base;
  const size_t scheme = domain.find("://");
  if (scheme != std::string::npos) domain = domain.substr(scheme + 3);
  s->Add(new wxStaticText(page, wxID_ANY, TrWx("Source: ") + ToWx(domain + "/navarea/{n}/messages/ (+pages)")), 0,
         wxLEFT | wxRIGHT, 6);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(page, kAllNavareaButtonId, TrWx("All NAVAREA")), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(page, kNoNavareaButtonId, TrWx("None")), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(page, kFetchSelectedButtonId, TrWx("Fetch selected")), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(page, kOpenCacheButtonId, TrWx("Open cache")), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(page, kPurgeCacheButtonId, TrWx("Purge cache")), 0);
  s->Add(buttons, 0, wxALL, 6);
  gps_hint_ = new wxStaticText(page, wxID_ANY, TrWx("GPS NAVAREA hint: -"));
  last_fetch_ = new wxStaticText(page, wxID_ANY, TrWx("Last fetch: idle"));
  s->Add(gps_hint_, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  s->Add(last_fetch_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 6);
  s->Add(new wxStaticText(page, wxID_ANY, TrWx("Paste MSI text")), 0, wxLEFT | wxRIGHT | wxTOP, 6);
  paste_ = new wxTextCtrl(page, kPasteBoxId, wxEmptyString, wxDefaultPosition, wxSize(-1, 70), wxTE_MULTILINE);
  s->Add(paste_, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  auto* paste_row = new wxBoxSizer(wxHORIZONTAL);
  paste_row->Add(new wxButton(page, kParsePastedButtonId, TrWx("Parse pasted text")), 0, wxRIGHT, 6);
  paste_row->Add(new wxButton(page, kLoadFixtureButtonId, TrWx("Load fixture corpus")), 0);
  s->Add(paste_row, 0, wxALL, 6);
  page->SetSizer(s);
}

void NtDialog::BuildOverlayPage(wxWindow* page) {
  auto* s = new wxBoxSizer(wxVERTICAL);
  show_check_ = new wxCheckBox(page, kShowCheckId, TrWx("Show overlay on chart"));
  show_check_->SetValue(true);
  route_check_ = new wxCheckBox(page, kRouteCheckId, TrWx("Only along active route (GPX corridor +/-50 NM)"));
  s->Add(show_check_, 0, wxALL, 6);
  s->Add(route_check_, 0, wxLEFT | wxRIGHT, 6);
  auto* range_row = new wxBoxSizer(wxHORIZONTAL);
  range_row->Add(new wxStaticText(page, wxID_ANY, TrWx("Range NM")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  wxArrayString items;
  for (const std::string& item : RangeChoiceItems()) items.Add(ToWx(item));
  range_choice_ = new wxChoice(page, kRangeChoiceId, wxDefaultPosition, wxDefaultSize, items);
  range_choice_->SetSelection(static_cast<int>(items.size()) - 1);
  range_row->Add(range_choice_, 0);
  s->Add(range_row, 0, wxALL, 6);
  legend_check_ = new wxCheckBox(page, kLegendCheckId, TrWx("Show legend on chart"));
  legend_check_->SetValue(plugin_ ? plugin_->settings().show_legend : true);
  legend_check_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) {
    if (plugin_) plugin_->SetShowLegend(e.IsChecked());
  });
  s->Add(legend_check_, 0, wxLEFT | wxRIGHT, 6);
  // Made from the colours in force, so it names what the chart shows.
  legend_line_ = new wxStaticText(page, wxID_ANY, ToWx(orvane::LegendLine()));
  legend_line_->Wrap(560);
  s->Add(legend_line_, 0, wxALL, 6);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(page, kExportParcelButtonId, TrWx("Export parcel")), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(page, kImportParcelButtonId, TrWx("Import parcel")), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(page, kCorridorHintButtonId, TrWx("GPX corridor hint")), 0);
  s->Add(buttons, 0, wxALL, 6);
  page->SetSizer(s);
}

void NtDialog::BuildColorsPage(wxWindow* page) {
  auto* s = new wxBoxSizer(wxVERTICAL);
  s->Add(new wxStaticText(page, wxID_ANY,
                          TrWx("Chart category colors (enable = show on overlay).\nClick a row swatch in plugin "
                               "settings (toolbar 3-click) for RGBA picker.\nOpacity slider is live under Overlay "
                               "settings / toolbar double-click.")),
         0, wxALL, 6);
  auto* pane = new wxScrolledWindow(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  pane->SetScrollRate(0, 12);
  auto* rows = new wxFlexGridSizer(2, 4, 8);
  rows->AddGrowableCol(0, 1);
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const MsgType t = static_cast<MsgType>(i);
    auto* box = new wxCheckBox(pane, kTypeCheckBaseId + i,
                               ToWx(std::string(TypeName(t)) + " \xE2\x80\x94 " + TypeDescription(t)));
    box->SetValue(plugin_ ? plugin_->IsTypeVisible(t) : true);
    // The swatch keeps its category colour under every theme.
    auto* swatch = new wxWindow(pane, wxID_ANY, wxDefaultPosition, wxSize(36, 18));
    swatch->SetBackgroundColour(OpaqueColourOf(t));
    swatch->SetName(kKeepColourName);
    rows->Add(box, 1, wxALIGN_CENTER_VERTICAL);
    rows->Add(swatch, 0, wxALIGN_CENTER_VERTICAL);
  }
  pane->SetSizer(rows);
  s->Add(pane, 1, wxEXPAND | wxALL, 6);
  page->SetSizer(s);
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

void NtDialog::SetNavareaChecks(int32_t mask) {
  if (!navarea_list_) return;
  const unsigned n = navarea_list_->GetCount();
  for (unsigned i = 0; i < static_cast<unsigned>(kNavareaItemCount) && i < n; ++i)
    navarea_list_->Check(i, (mask & (1 << i)) != 0);
}

int32_t NtDialog::MaskFromChecks() const {
  int32_t mask = 0;
  const unsigned n = navarea_list_ ? navarea_list_->GetCount() : 0;
  for (unsigned i = 0; i < static_cast<unsigned>(kNavareaItemCount) && i < n; ++i)
    if (navarea_list_->IsChecked(i)) mask |= 1 << i;
  return mask;
}

int32_t NtDialog::NavareaChecks() const { return MaskFromChecks(); }

std::vector<int> NtDialog::CheckedNavareas() const {
  std::vector<int> ids;
  const unsigned n = navarea_list_ ? navarea_list_->GetCount() : 0;
  for (unsigned i = 0; i < n; ++i)
    if (navarea_list_->IsChecked(i)) ids.push_back(static_cast<int>(i) + 1);
  return ids;
}

void NtDialog::SetShowChecked(bool show) { show_check_->SetValue(show); }
bool NtDialog::ShowChecked() const { return show_check_->GetValue(); }
wxString NtDialog::StatusLine() const { return status_->GetLabel(); }
wxString NtDialog::HoverLine() const { return hover_->GetLabel(); }
wxString NtDialog::GpsHintLine() const { return gps_hint_->GetLabel(); }
wxString NtDialog::LastFetchLine() const { return last_fetch_->GetLabel(); }
unsigned NtDialog::RowCount() const { return static_cast<unsigned>(list_->GetItemCount()); }

int NtDialog::RowIndex(long row) const {
  if (row < 0 || row >= list_->GetItemCount()) return -1;
  return static_cast<int>(list_->GetItemData(row));
}

void NtDialog::SyncFilterControls(bool show, bool range_all, double range_nm, bool route_filter) {
  show_check_->SetValue(show);
  route_check_->SetValue(route_filter);
  range_choice_->SetSelection(RangeChoiceIndex(range_all, range_nm));
}

void NtDialog::RefreshList() {
  if (!list_ || !plugin_) return;
  long selected_index = -1, top_index = -1;
  const long sel_row = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  if (sel_row >= 0) selected_index = RowIndex(sel_row);
  const long top_row = list_->GetTopItem();
  if (top_row >= 0 && top_row < list_->GetItemCount()) top_index = RowIndex(top_row);

  list_->Freeze();
  filling_ = true;
  list_->DeleteAllItems();
  long select_row = -1, show_row = -1;
  const MessageStore& store = plugin_->store();
  for (size_t i = 0; i < store.size(); ++i) {
    const MsiMessage& m = store[i];
    if (!ListedInWindow(m)) continue;
    const ListRow r = ListRowOf(m, static_cast<int>(i), plugin_->IsTypeVisible(m.type));
    const long row = list_->InsertItem(list_->GetItemCount(), ToWx(r.type));
    list_->SetItem(row, 1, ToWx(r.colour));
    list_->SetItem(row, 2, ToWx(r.geoms));
    list_->SetItem(row, 3, ToWx(r.title));
    list_->SetItemTextColour(row, wxColour(r.r, r.g, r.b));
    list_->SetItemData(row, static_cast<long>(i));
    if (static_cast<long>(i) == selected_index) select_row = row;
    if (static_cast<long>(i) == top_index) show_row = row;
  }
  if (select_row >= 0) {
    list_->SetItemState(select_row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  }
  if (show_row >= 0) list_->EnsureVisible(show_row);
  filling_ = false;
  list_->Thaw();
  UpdateStatus();
}

void NtDialog::UpdateStatus() {
  if (!plugin_) return;
  const orvane::Settings& s = plugin_->settings();
  SetLabelIfDifferent(gps_hint_,
                      GpsHintText(plugin_->current_navarea(), plugin_->have_fix(), plugin_->own_lat(),
                                  plugin_->own_lon()));
  SetLabelIfDifferent(last_fetch_, TrWx("Last fetch: ") + ToWx(plugin_->status_text()));
  const bool route_box = route_check_ && route_check_->GetValue();
  const bool has_route = route_box && !GetActiveRouteGUID().empty();
  SetLabelIfDifferent(status_, StatusLineText(plugin_->CountVisible(), plugin_->store().size(),
                                              plugin_->last_draw_was_gl(), s.range_all, s.range_nm, route_box,
                                              has_route));
}

void NtDialog::SetHoverText(const wxString& text) { SetLabelIfDifferent(hover_, HoverLineText(text)); }

void NtDialog::OnClose(wxCloseEvent& event) {
  // Closing hides the window; the plug-in deletes it at shutdown.
  if (event.CanVeto()) {
    event.Veto();
    Hide();
  } else {
    event.Skip();
  }
}

void NtDialog::OnShowCheck(wxCommandEvent& event) {
  if (plugin_) plugin_->SetShow(event.IsChecked());
}

void NtDialog::OnRouteCheck(wxCommandEvent& event) {
  if (plugin_) plugin_->SetRouteFilter(event.IsChecked());
  UpdateStatus();
}

void NtDialog::OnRangeChoice(wxCommandEvent&) {
  if (!plugin_) return;
  plugin_->SetRange(RangeFromChoiceText(FromWx(range_choice_->GetStringSelection())));
}

void NtDialog::OnThemeChoice(wxCommandEvent&) {
  const int theme = LimitUiTheme(theme_choice_->GetSelection());
  if (plugin_)
    plugin_->SetUiTheme(this, theme);
  else
    ApplyTheme(this, theme);
  RefreshList();
}

void NtDialog::OnLoadFixture(wxCommandEvent&) {
  if (!plugin_) return;
  plugin_->LoadSampleCorpus();
  RefreshList();
}

void NtDialog::OnParsePasted(wxCommandEvent&) {
  if (!plugin_) return;
  plugin_->LoadBulletinText(FromWx(paste_->GetValue()));
  RefreshList();
}

void NtDialog::OnFetchSelected(wxCommandEvent&) {
  if (plugin_) plugin_->StartFetch();
}

void NtDialog::OnAllNavarea(wxCommandEvent&) {
  SetNavareaChecks(kAllNavareas);
  if (plugin_) plugin_->SetNavareaMask(kAllNavareas);
}

void NtDialog::OnNoNavarea(wxCommandEvent&) {
  SetNavareaChecks(0);
  if (plugin_) plugin_->SetNavareaMask(0);
}

void NtDialog::OnNavareaToggled(wxCommandEvent&) {
  if (plugin_) plugin_->SetNavareaMask(MaskFromChecks());
}

void NtDialog::OnOpenCache(wxCommandEvent&) { OpenCacheFolder(); }

void NtDialog::OnPurgeCache(wxCommandEvent&) {
  PurgeCacheWithMessage(this, plugin_);
  if (PluginClosing()) return;
  RefreshList();
}

void NtDialog::OnExportParcel(wxCommandEvent&) {
  RunExportParcel(this, plugin_);
  if (PluginClosing()) return;
  RefreshList();
}

void NtDialog::OnImportParcel(wxCommandEvent&) {
  RunImportParcel(this, plugin_);
  if (PluginClosing()) return;
  RefreshList();
}

void NtDialog::OnCorridorHint(wxCommandEvent&) { RunCorridorHint(this, plugin_); }
void NtDialog::OnExportReport(wxCommandEvent&) { RunWriteReport(this, plugin_, false); }
void NtDialog::OnPrintReport(wxCommandEvent&) { RunWriteReport(this, plugin_, true); }

void NtDialog::OnArrivalLog(wxCommandEvent&) {
  if (plugin_) plugin_->OpenArrivalLog();
}

void NtDialog::OnArchiveCheck(wxCommandEvent& event) {
  if (plugin_) plugin_->SetIncludeArchive(event.IsChecked());
}
void NtDialog::OnAdmiraltyCheck(wxCommandEvent& event) {
  if (plugin_) plugin_->SetAdmiraltyHtmlEnabled(event.IsChecked());
}
void NtDialog::OnNgaCheck(wxCommandEvent& event) {
  if (plugin_) plugin_->SetNgaHtmlEnabled(event.IsChecked());
}

void NtDialog::OnTypeCheck(wxCommandEvent& event) {
  const int i = event.GetId() - kTypeCheckBaseId;
  if (!plugin_ || i < 0 || i >= kMsgTypeCount) return;
  plugin_->SetTypeVisible(static_cast<MsgType>(i), event.IsChecked());
  RefreshList();
}

int NtDialog::EventIndex(const wxListEvent& event) const {
  if (filling_ || event.GetIndex() < 0) return -1;
  return RowIndex(event.GetIndex());
}

void NtDialog::OnListSelected(wxListEvent& event) {
  const int index = EventIndex(event);
  if (index >= 0 && plugin_) plugin_->HighlightMessage(index);
}

void NtDialog::OnListActivated(wxListEvent& event) {
  const int index = EventIndex(event);
  if (index < 0 || !plugin_) return;
  plugin_->HighlightMessage(index);
  plugin_->ShowMessageDetail(index);
}

void NtDialog::SelectMessage(int index) {
  if (!list_) return;
  for (long row = 0; row < list_->GetItemCount(); ++row) {
    if (RowIndex(row) != index) continue;
    // The selection comes from the chart; the list's own handler must not
    // answer it.
    const bool was_filling = filling_;
    filling_ = true;
    list_->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    filling_ = was_filling;
    list_->EnsureVisible(row);
    return;
  }
}

void NtDialog::SetLegendChecked(bool on) {
  if (legend_check_) legend_check_->SetValue(on);
}

bool NtDialog::LegendChecked() const { return legend_check_ && legend_check_->GetValue(); }

wxString NtDialog::LegendLine() const { return legend_line_ ? legend_line_->GetLabel() : wxString(); }

}  // namespace orvane
