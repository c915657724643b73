// The message window: the list of loaded messages, what the overlay is
// doing, and the everyday actions (fetch, paste, filters, categories,
// parcels, reports, arrival log). It keeps no message data of its own.
#pragma once

#include <wx/frame.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <cstdint>
#include <string>
#include <vector>

#include "parse/msi_model.h"

class orvane_pi;
class wxCheckBox;
class wxCheckListBox;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

namespace orvane {

// Control and event identifiers of the window.
constexpr int kShowCheckId = 9200;
constexpr int kRangeChoiceId = 9201;
constexpr int kLoadFixtureButtonId = 9202;
constexpr int kParsePastedButtonId = 9203;
constexpr int kFetchSelectedButtonId = 9204;
constexpr int kFetchScheduleTimerId = 9205;
constexpr int kFetchResultEventId = 9206;
constexpr int kRouteCheckId = 9207;
constexpr int kAllNavareaButtonId = 9208;
constexpr int kNoNavareaButtonId = 9209;
constexpr int kOpenCacheButtonId = 9210;
constexpr int kExportParcelButtonId = 9211;
constexpr int kImportParcelButtonId = 9212;
constexpr int kCorridorHintButtonId = 9213;
constexpr int kPurgeCacheButtonId = 9214;
constexpr int kMessageListId = 9215;
constexpr int kExportReportButtonId = 9216;
constexpr int kPrintReportButtonId = 9217;
constexpr int kArrivalLogButtonId = 9218;
constexpr int kArchiveCheckId = 9219;
constexpr int kAdmiraltyCheckId = 9220;
constexpr int kNgaCheckId = 9221;
constexpr int kThemeChoiceId = 9222;
constexpr int kNavareaListId = 9223;
constexpr int kPasteBoxId = 9224;
constexpr int kLegendCheckId = 9225;
// The Colors page's category boxes: this base plus the category value.
constexpr int kTypeCheckBaseId = 9300;

constexpr int kNavareaItemCount = 21;
constexpr size_t kListPreviewBytes = 80;

// The texts of one message list row and the store index it stands for.
struct ListRow {
  int index = -1;
  std::string type, colour, geoms, title;
  unsigned char r = 0, g = 0, b = 0;  // row text colour, opaque
};

// Whether a message is listed at all: hidden-class B2 subjects never are.
bool ListedInWindow(const MsiMessage& m);
// "[//] ", "[##] " or "[#] " for a stripe, hatch or plain bucket.
const char* PatternMark(MsgType t);
// The row of message m at store position index; type_visible is the
// category's Colors-page switch.
ListRow ListRowOf(const MsiMessage& m, int index, bool type_visible);

// Status line texts.
wxString GpsHintText(int navarea, bool have_fix, double lat, double lon);
wxString StatusLineText(size_t visible, size_t total, bool gl, bool range_all, double range_nm, bool route_box,
                        bool has_active_route);
wxString HoverLineText(const wxString& hover);

// The range choice: its items, the item shown for a setting, and the
// distance an item gives the range setter (negative for no limit).
const std::vector<std::string>& RangeChoiceItems();
int RangeChoiceIndex(bool range_all, double range_nm);
double RangeFromChoiceText(const std::string& text);

// What the plug-in's actions returned, shown only when there is something
// to say; each returns the text it showed (empty: nothing shown).
std::string ShowResultBox(wxWindow* parent, const std::string& text, const wxString& caption);
std::string RunExportParcel(wxWindow* parent, orvane_pi* plugin);
// Asks for the parcel file first; a cancelled dialog imports nothing.
std::string RunImportParcel(wxWindow* parent, orvane_pi* plugin);
std::string RunCorridorHint(wxWindow* parent, orvane_pi* plugin);
std::string RunWriteReport(wxWindow* parent, orvane_pi* plugin, bool print);

class NtDialog : public wxFrame {
 public:
  NtDialog(wxWindow* parent, orvane_pi* plugin);
  ~NtDialog() override;

  // Rebuilds the message list, keeping the selected and the top message,
  // then the status line.
  void RefreshList();
  // GPS hint, last fetch and status labels.
  void UpdateStatus();
  // The hover line is rewritten only when its text changes.
  void SetHoverText(const wxString& text);
  void SyncFilterControls(bool show, bool range_all, double range_nm, bool route_filter);
  // Item i of the NAVAREA list is checked exactly when bit i is set.
  void SetNavareaChecks(int32_t mask);
  void SetShowChecked(bool show);
  void SetLegendChecked(bool on);
  bool LegendChecked() const;
  // The Overlay page's line naming each category's colour.
  wxString LegendLine() const;
  // Selects the row of store index i and scrolls to it; none when not listed.
  void SelectMessage(int index);
  // NAVAREA numbers (1..21) of the checked entries, in list order.
  std::vector<int> CheckedNavareas() const;
  // The fetch timer: one tick every interval plus a spread of up to three minutes.
  void StartFetchTimer();
  void StopFetchTimer();
  bool FetchTimerRunning() const { return schedule_timer_.IsRunning(); }
  int FetchTimerIntervalMs() const { return schedule_timer_.GetInterval(); }

  // Read access for the plug-in and the tests.
  bool ShowChecked() const;
  int32_t NavareaChecks() const;
  wxString StatusLine() const;
  wxString HoverLine() const;
  wxString GpsHintLine() const;
  wxString LastFetchLine() const;
  unsigned RowCount() const;
  wxListCtrl* message_list() const { return list_; }
  // The store index a row stands for, -1 for none.
  int RowIndex(long row) const;

 private:
  void BuildMessagesPage(wxWindow* page);
  void BuildFetchPage(wxWindow* page);
  void BuildOverlayPage(wxWindow* page);
  void BuildColorsPage(wxWindow* page);

  void OnClose(wxCloseEvent& event);
  void OnShowCheck(wxCommandEvent& event);
  void OnRouteCheck(wxCommandEvent& event);
  void OnRangeChoice(wxCommandEvent& event);
  void OnThemeChoice(wxCommandEvent& event);
  void OnLoadFixture(wxCommandEvent& event);
  void OnParsePasted(wxCommandEvent& event);
  void OnFetchSelected(wxCommandEvent& event);
  void OnAllNavarea(wxCommandEvent& event);
  void OnNoNavarea(wxCommandEvent& event);
  void OnNavareaToggled(wxCommandEvent& event);
  void OnOpenCache(wxCommandEvent& event);
  void OnPurgeCache(wxCommandEvent& event);
  void OnExportParcel(wxCommandEvent& event);
  void OnImportParcel(wxCommandEvent& event);
  void OnCorridorHint(wxCommandEvent& event);
  void OnExportReport(wxCommandEvent& event);
  void OnPrintReport(wxCommandEvent& event);
  void OnArrivalLog(wxCommandEvent& event);
  void OnArchiveCheck(wxCommandEvent& event);
  void OnAdmiraltyCheck(wxCommandEvent& event);
  void OnNgaCheck(wxCommandEvent& event);
  void OnScheduleTimer(wxTimerEvent& event);
  void OnFetchResultEvent(wxCommandEvent& event);
  void OnListSelected(wxListEvent& event);
  void OnListActivated(wxListEvent& event);
  void OnTypeCheck(wxCommandEvent& event);

  // The store index of an event's row, -1 when the event is to be ignored.
  int EventIndex(const wxListEvent& event) const;
  int32_t MaskFromChecks() const;

  orvane_pi* plugin_;
  wxStaticText* header_ = nullptr;
  wxChoice* theme_choice_ = nullptr;
  wxCheckBox* show_check_ = nullptr;
  wxCheckBox* route_check_ = nullptr;
  wxCheckBox* legend_check_ = nullptr;
  wxStaticText* legend_line_ = nullptr;
  wxCheckBox* archive_check_ = nullptr;
  wxCheckBox* admiralty_check_ = nullptr;
  wxCheckBox* nga_check_ = nullptr;
  wxChoice* range_choice_ = nullptr;
  wxCheckListBox* navarea_list_ = nullptr;
  wxListCtrl* list_ = nullptr;
  wxTextCtrl* paste_ = nullptr;
  wxStaticText* gps_hint_ = nullptr;
  wxStaticText* last_fetch_ = nullptr;
  wxStaticText* status_ = nullptr;
  wxStaticText* hover_ = nullptr;
  wxTimer schedule_timer_;
  bool filling_ = false;

  wxDECLARE_EVENT_TABLE();
};

}  // namespace orvane
