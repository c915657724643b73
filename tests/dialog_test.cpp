// The message window and the detail view in the test host: list rows,
// status line, filters, selection across rebuilds, close-to-hide, the
// detail texts and the lenient text conversion.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>

#include "common/clock.h"
#include "common/paths.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "overlay/legend.h"
#include "test_host.h"
#include "test_support.h"
#include "ui/message_detail.h"
#include "ui/nt_dialog.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

using testhost::Host;

// What a detail view showed when it opened; answers OK.
struct DetailSeen {
  int opened = 0;
  std::string heading, b2, body;
  MsgType type = OTHER;
};

class ExpectDetail : public wxExpectModalBase<MessageDetailDialog, ExpectDetail> {
 public:
  explicit ExpectDetail(DetailSeen* seen) : seen_(seen) {}

 protected:
  int OnInvoked(MessageDetailDialog* dlg) const override {
    ++seen_->opened;
    seen_->heading = FromWx(dlg->HeadingText());
    seen_->b2 = FromWx(dlg->B2Text());
    seen_->body = FromWx(dlg->BodyText());
    seen_->type = dlg->type();
    return wxID_OK;
  }

 private:
  DetailSeen* seen_;
};

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    SetClock(&clock_);
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    Host().canvas = frame_;
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
  }
  void TearDown() override {
    if (initialised_) plugin_->DeInit();
    plugin_.reset();
    frame_->Destroy();
    SetClock(nullptr);
  }
  NtDialog* Init() {
    EXPECT_EQ(plugin_->Init(), 0x0008891F);
    initialised_ = true;
    return plugin_->message_window();
  }
  void Click() {
    plugin_->OnToolbarToolCallback(plugin_->tool_id());
    wxTimer timer(frame_, kClickTimerId);
    wxTimerEvent ev(timer);
    frame_->GetEventHandler()->ProcessEvent(ev);
  }
  template <class T>
  T* Find(NtDialog* dlg, int id) {
    return dynamic_cast<T*>(dlg->FindWindow(id));
  }
  void Command(NtDialog* dlg, wxEventType type, int id) {
    wxCommandEvent ev(type, id);
    wxWindow* w = dlg->FindWindow(id);
    ev.SetEventObject(w);
    if (auto* box = dynamic_cast<wxCheckBox*>(w)) ev.SetInt(box->GetValue() ? 1 : 0);
    w->GetEventHandler()->ProcessEvent(ev);
  }
  void ListEvent(NtDialog* dlg, wxEventType type, long row) {
    wxListEvent ev(type, kMessageListId);
    ev.m_itemIndex = row;
    ev.SetEventObject(dlg->message_list());
    dlg->message_list()->GetEventHandler()->ProcessEvent(ev);
  }
  static std::string Cell(wxListCtrl* list, long row, int col) { return FromWx(list->GetItemText(row, col)); }

  test::TempDataRoot root_;
  ManualClock clock_;
  wxFrame* frame_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
  bool initialised_ = false;
};

TEST_F(DialogTest, TheWindowHasItsTitleSizesAndPages) {
  NtDialog* dlg = Init();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->GetTitle(), "Orvane - MSI Overlay");
  EXPECT_EQ(dlg->GetMinSize(), wxSize(560, 520));
  EXPECT_FALSE(dlg->IsShown());
  const struct {
    int id;
    const char* label;
  } buttons[] = {
      {kLoadFixtureButtonId, "Load fixture corpus"}, {kParsePastedButtonId, "Parse pasted text"},
      {kFetchSelectedButtonId, "Fetch selected"},    {kAllNavareaButtonId, "All NAVAREA"},
      {kNoNavareaButtonId, "None"},                  {kOpenCacheButtonId, "Open cache"},
      {kExportParcelButtonId, "Export parcel"},      {kImportParcelButtonId, "Import parcel"},
      {kCorridorHintButtonId, "GPX corridor hint"},  {kPurgeCacheButtonId, "Purge cache"},
      {kExportReportButtonId, "Export Report"},      {kPrintReportButtonId, "Print Report"},
      {kArrivalLogButtonId, "Open arrival log"},
  };
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.label);
    auto* button = Find<wxButton>(dlg, b.id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetLabel(), b.label);
  }
  EXPECT_EQ(Find<wxCheckBox>(dlg, kShowCheckId)->GetLabel(), "Show overlay on chart");
  EXPECT_EQ(Find<wxCheckBox>(dlg, kRouteCheckId)->GetLabel(), "Only along active route (GPX corridor +/-50 NM)");
  EXPECT_EQ(Find<wxCheckBox>(dlg, kArchiveCheckId)->GetLabel(), "Include archive");
  EXPECT_TRUE(Find<wxCheckBox>(dlg, kArchiveCheckId)->GetValue());
  EXPECT_EQ(Find<wxCheckBox>(dlg, kAdmiraltyCheckId)->GetLabel(), "Admiralty UKHO");
  EXPECT_EQ(Find<wxCheckBox>(dlg, kNgaCheckId)->GetLabel(), "NGA NavWarnings");
  auto* areas = Find<wxCheckListBox>(dlg, kNavareaListId);
  ASSERT_NE(areas, nullptr);
  ASSERT_EQ(areas->GetCount(), 21u);
  EXPECT_EQ(areas->GetString(0), "NAVAREA I (1)");
  EXPECT_EQ(areas->GetString(20), "NAVAREA XXI (21)");
  EXPECT_EQ(dlg->CheckedNavareas().size(), 21u);
  auto* range = Find<wxChoice>(dlg, kRangeChoiceId);
  ASSERT_EQ(range->GetCount(), 7u);
  EXPECT_EQ(range->GetStringSelection(), "ALL");
  auto* list = dlg->message_list();
  ASSERT_EQ(list->GetColumnCount(), 4);
  wxListItem col;
  col.SetMask(wxLIST_MASK_TEXT);
  list->GetColumn(3, col);
  EXPECT_EQ(col.GetText(), "Title / preview");
  EXPECT_EQ(dlg->HoverLine(), "Hover: -");
  // The start-up fetch is under way: its first NAVAREA is the current one.
  EXPECT_EQ(dlg->GpsHintLine(), "GPS NAVAREA hint: I (1)");
  EXPECT_TRUE(dlg->LastFetchLine().StartsWith("Last fetch: Fetching I,II,III,")) << dlg->LastFetchLine();
}

TEST_F(DialogTest, SampleBulletinRowsShowTypeColourGeometriesAndTitle) {
  NtDialog* dlg = Init();
  wxListCtrl* list = dlg->message_list();
  ASSERT_EQ(list->GetItemCount(), 4);
  // The sample bulletin parses with the NAVTEX frame (ZCZC IA01 ... drifting
  // mines) first, then the three NAVAREA III warnings in text order.
  const struct {
    const char *type, *colour, *geoms, *title;
    wxColour text;
  } rows[] = {
      {"DRIFT HAZARD", "[#] crimson", "1", "POSSIBLE DRIFTING MINES. CAUTION. 45-05.00N 030-03.00E",
       wxColour(242, 38, 63)},
      {"DRILLING", "[#] orange", "1", "NAVAREA III - 0139/26 BLACK SEA", wxColour(255, 114, 12)},
      {"DANGER ZONE", "[##] danger-red", "1", "NAVAREA III - 0137/26 BLACK SEA", wxColour(219, 20, 20)},
      {"MILITARY AREA", "[#] red", "1", "NAVAREA III - 0100/26 WESTERN MEDITERRANEAN SEA", wxColour(229, 25, 25)},
  };
  for (long i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Cell(list, i, 0), rows[i].type);
    EXPECT_EQ(Cell(list, i, 1), rows[i].colour);
    EXPECT_EQ(Cell(list, i, 2), rows[i].geoms);
    EXPECT_EQ(Cell(list, i, 3), rows[i].title);
    EXPECT_EQ(list->GetItemTextColour(i), rows[i].text);
    EXPECT_EQ(dlg->RowIndex(i), i);
  }
  // A category switched off on the Colors page is still listed, marked.
  plugin_->SetTypeVisible(DRIFT, false);
  dlg->RefreshList();
  EXPECT_EQ(Cell(list, 0, 3), "[hidden] POSSIBLE DRIFTING MINES. CAUTION. 45-05.00N 030-03.00E");
}

TEST_F(DialogTest, HiddenSubjectIsNotListedButCounted) {
  NtDialog* dlg = Init();
  plugin_->LoadBulletinText(
      "ZCZC IZ01\nTEST MESSAGE ONLY 45-00N 030-00E\nNNNN\n"
      "ZCZC IA02\nWRECK 44-00N 031-00E\nNNNN\n");
  dlg->RefreshList();
  ASSERT_EQ(plugin_->store().size(), 2u);
  ASSERT_EQ(dlg->RowCount(), 1u);
  EXPECT_NE(Cell(dlg->message_list(), 0, 3).find("WRECK"), std::string::npos);
  EXPECT_NE(dlg->StatusLine().Find(" / 2 | "), wxNOT_FOUND) << dlg->StatusLine();
}

TEST_F(DialogTest, EmptyStoreAfterAGlFrame) {
  NtDialog* dlg = Init();
  plugin_->LoadBulletinText("");
  ASSERT_TRUE(plugin_->store().empty());
  PlugIn_ViewPort vp = Host().viewport;
  plugin_->RenderGLOverlayMultiCanvas(nullptr, &vp, 0, 0);
  dlg->RefreshList();
  EXPECT_EQ(dlg->RowCount(), 0u);
  EXPECT_EQ(dlg->StatusLine(), "Status: visible 0 / 0 | GL | range ALL");
}

// The Overlay page switches the chart's legend and names each category's
// colour from the colour table.
TEST_F(DialogTest, OverlayPageSwitchesTheLegend) {
  NtDialog* dlg = Init();
  auto* box = Find<wxCheckBox>(dlg, kLegendCheckId);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->GetValue());
  EXPECT_TRUE(plugin_->settings().show_legend);
  box->SetValue(false);
  Command(dlg, wxEVT_CHECKBOX, kLegendCheckId);
  EXPECT_FALSE(plugin_->settings().show_legend);
  plugin_->SetShowLegend(true);
  EXPECT_TRUE(dlg->LegendChecked());
  wxString line = dlg->LegendLine();
  line.Replace("\n", " ");  // wrapped to the page
  EXPECT_EQ(line, ToWx(LegendLine()));
  EXPECT_TRUE(line.Contains("OTHER red hatch")) << line;
}

TEST_F(DialogTest, RangeChoiceFollowsTheSettingAndSetsIt) {
  NtDialog* dlg = Init();
  auto* range = Find<wxChoice>(dlg, kRangeChoiceId);
  plugin_->SetRange(75);
  dlg->SyncFilterControls(true, plugin_->range_all(), plugin_->range_nm(), false);
  EXPECT_EQ(range->GetStringSelection(), "1000");
  dlg->UpdateStatus();
  EXPECT_TRUE(dlg->StatusLine().EndsWith("| range 75 NM")) << dlg->StatusLine();

  range->SetStringSelection("50");
  Command(dlg, wxEVT_CHOICE, kRangeChoiceId);
  EXPECT_FALSE(plugin_->range_all());
  EXPECT_EQ(plugin_->range_nm(), 50.0);
  dlg->SyncFilterControls(true, false, 50.2, false);
  EXPECT_EQ(range->GetStringSelection(), "50");
  range->SetStringSelection("ALL");
  Command(dlg, wxEVT_CHOICE, kRangeChoiceId);
  EXPECT_TRUE(plugin_->range_all());
  EXPECT_EQ(plugin_->range_nm(), 10000.0);

  EXPECT_EQ(RangeFromChoiceText("ALL"), -1.0);
  EXPECT_EQ(RangeFromChoiceText("500"), 500.0);
  EXPECT_EQ(RangeFromChoiceText("far"), 200.0);
}

TEST_F(DialogTest, RouteBoxSaysWhetherThereIsAnActiveRoute) {
  NtDialog* dlg = Init();
  Find<wxCheckBox>(dlg, kRouteCheckId)->SetValue(true);
  Command(dlg, wxEVT_CHECKBOX, kRouteCheckId);
  EXPECT_TRUE(plugin_->settings().route_filter);
  EXPECT_TRUE(dlg->StatusLine().EndsWith(" | route filter: no active route (no-op)")) << dlg->StatusLine();
  Host().active_route_guid = "route-1";
  dlg->UpdateStatus();
  EXPECT_TRUE(dlg->StatusLine().EndsWith(" | route filter: ON")) << dlg->StatusLine();
}

// Thirty NAVTEX warnings; the first `hidden` of them carry the hidden B2 subject.
std::string Warnings(int hidden) {
  std::string text;
  for (int i = 0; i < 30; ++i) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "ZCZC I%c%02d\nWRECK NUMBER %02d 4%d-00N 03%d-00E\nNNNN\n", i < hidden ? 'Z' : 'A',
                  i + 1, i + 1, i % 10, i % 10);
    text += buf;
  }
  return text;
}

TEST_F(DialogTest, SelectionAndTopRowSurviveARebuildThatRemovesEarlierRows) {
  NtDialog* dlg = Init();
  plugin_->LoadBulletinText(Warnings(0));
  ASSERT_EQ(plugin_->store().size(), 30u);
  dlg->RefreshList();
  dlg->Show();
  wxYield();
  wxListCtrl* list = dlg->message_list();
  ASSERT_EQ(list->GetItemCount(), 30);
  list->SetItemState(25, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  list->EnsureVisible(29);
  wxYield();
  const long top_row = list->GetTopItem();
  ASSERT_GT(top_row, 0) << "the list shows every row; cannot test scrolling";
  const int selected_index = dlg->RowIndex(25);
  const int top_index = dlg->RowIndex(top_row);
  const std::string selected_title = plugin_->store()[selected_index].title;
  const std::string top_title = plugin_->store()[top_index].title;

  plugin_->LoadBulletinText(Warnings(5));
  ASSERT_EQ(plugin_->store().size(), 30u);
  ASSERT_EQ(plugin_->store()[selected_index].title, selected_title);
  ASSERT_EQ(plugin_->store()[top_index].title, top_title);
  dlg->RefreshList();
  wxYield();
  ASSERT_EQ(list->GetItemCount(), 25);
  const long sel = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  ASSERT_GE(sel, 0);
  EXPECT_EQ(dlg->RowIndex(sel), selected_index);
  EXPECT_EQ(Cell(list, sel, 3), selected_title);
  // The remembered top message is in view.
  long shown = -1;
  for (long r = list->GetTopItem(); r < list->GetTopItem() + list->GetCountPerPage() && r < 25; ++r)
    if (dlg->RowIndex(r) == top_index) shown = r;
  EXPECT_GE(shown, 0);
  dlg->Hide();
}

TEST_F(DialogTest, CloseHidesAndTheNextClickShowsTheSameWindow) {
  NtDialog* dlg = Init();
  Click();
  ASSERT_TRUE(dlg->IsShown());
  EXPECT_TRUE(plugin_->show());
  EXPECT_FALSE(dlg->Close());  // refused: the window only hides
  EXPECT_FALSE(dlg->IsShown());
  Click();
  EXPECT_EQ(plugin_->message_window(), dlg);
  EXPECT_TRUE(dlg->IsShown());
  EXPECT_EQ(dlg->RowCount(), 4u);
  Click();
  EXPECT_FALSE(dlg->IsShown());
  EXPECT_FALSE(plugin_->show());
  EXPECT_FALSE(dlg->ShowChecked());
}

TEST_F(DialogTest, NavareaChecksAndButtonsSetTheMask) {
  NtDialog* dlg = Init();
  dlg->SetNavareaChecks(0x5);
  EXPECT_EQ(dlg->CheckedNavareas(), (std::vector<int>{1, 3}));
  Command(dlg, wxEVT_BUTTON, kNoNavareaButtonId);
  EXPECT_EQ(plugin_->settings().navarea_mask, 0);
  EXPECT_TRUE(dlg->CheckedNavareas().empty());
  Command(dlg, wxEVT_BUTTON, kAllNavareaButtonId);
  EXPECT_EQ(plugin_->settings().navarea_mask, 0x1FFFFF);
  EXPECT_EQ(dlg->CheckedNavareas().size(), 21u);
  // Toggling one item recomputes the mask from all items.
  auto* areas = Find<wxCheckListBox>(dlg, kNavareaListId);
  areas->Check(1, false);
  wxCommandEvent ev(wxEVT_CHECKLISTBOX, kNavareaListId);
  ev.SetInt(1);
  ev.SetEventObject(areas);
  areas->GetEventHandler()->ProcessEvent(ev);
  EXPECT_EQ(plugin_->settings().navarea_mask, 0x1FFFFD);
}

TEST_F(DialogTest, ThemeOutOfRangeStartsAsSystemAndIsSavedAsZero) {
  std::filesystem::create_directories(root_.dir() + "/config/opencpn");
  std::ofstream(SettingsFilePath()) << "UiTheme=7\n";
  NtDialog* dlg = Init();
  EXPECT_EQ(Find<wxChoice>(dlg, kThemeChoiceId)->GetSelection(), 0);
  EXPECT_NE(test::ReadFile(SettingsFilePath()).find("UiTheme=0\n"), std::string::npos);
  auto* theme = Find<wxChoice>(dlg, kThemeChoiceId);
  theme->SetSelection(1);
  Command(dlg, wxEVT_CHOICE, kThemeChoiceId);
  EXPECT_EQ(plugin_->settings().ui_theme, 1);
  EXPECT_EQ(dlg->GetBackgroundColour(), wxColour(32, 32, 32));
  EXPECT_EQ(Find<wxTextCtrl>(dlg, kPasteBoxId)->GetBackgroundColour(), wxColour(40, 40, 40));
}

TEST_F(DialogTest, HoverLine) {
  NtDialog* dlg = Init();
  dlg->SetHoverText("MINE 45N");
  EXPECT_EQ(dlg->HoverLine(), "Hover: MINE 45N");
  dlg->SetHoverText("");
  EXPECT_EQ(dlg->HoverLine(), "Hover: -");
}

TEST_F(DialogTest, DetailViewOfAMessageWithoutB2AndOfAnOtherMessage) {
  Init();
  const MsiMessage& drilling = plugin_->store()[1];
  ASSERT_EQ(drilling.type, DRILLING);
  DetailSeen seen;
  wxTEST_DIALOG(plugin_->ShowMessageDetail(1), ExpectDetail(&seen));
  EXPECT_EQ(seen.opened, 1);
  EXPECT_EQ(seen.heading, "DRILLING - " + std::string(TypeDescription(DRILLING)) + " [orange]");
  EXPECT_EQ(seen.b2, "B2=? Unknown / not in envelope [optional]");
  EXPECT_EQ(seen.body, "NAVAREA III - 0139/26 BLACK SEA\n\n" + drilling.raw_text);

  DetailSeen other;
  wxTEST_DIALOG(plugin_->ShowMessageDetail(2), ExpectDetail(&other));
  EXPECT_EQ(other.type, OTHER);
  EXPECT_EQ(other.heading, "DANGER ZONE - IMPORTANT unclassified (danger) [danger-red]");

  // The NAVTEX frame has its subject letter.
  EXPECT_EQ(DetailB2Line(plugin_->store()[0]).rfind("B2=A ", 0), 0u);
  EXPECT_NE(DetailB2Line(plugin_->store()[0]).find("[mandatory]"), std::string::npos);
}

TEST_F(DialogTest, NothingOpensForAnIndexPastTheStore) {
  Init();
  DetailSeen seen;
  wxTEST_DIALOG(
      {
        plugin_->ShowMessageDetail(static_cast<int>(plugin_->store().size()));
        plugin_->ShowMessageDetail(-1);
      },
      ExpectDetail(&seen).Optional());
  EXPECT_EQ(seen.opened, 0);
}

TEST_F(DialogTest, ActivatingARowHighlightsAndOpensTheDetail) {
  NtDialog* dlg = Init();
  DetailSeen seen;
  wxTEST_DIALOG(ListEvent(dlg, wxEVT_LIST_ITEM_ACTIVATED, 3), ExpectDetail(&seen));
  EXPECT_EQ(seen.opened, 1);
  EXPECT_EQ(plugin_->highlighted(), 3);
  EXPECT_EQ(seen.type, MILITARY);
  ListEvent(dlg, wxEVT_LIST_ITEM_SELECTED, 1);
  EXPECT_EQ(plugin_->highlighted(), 1);
  ListEvent(dlg, wxEVT_LIST_ITEM_SELECTED, -1);  // ignored
  EXPECT_EQ(plugin_->highlighted(), 1);
}

TEST(DetailTexts, LongBodiesAreCutAtACharacterBoundary) {
  MsiMessage m;
  m.title = "T";
  // "T\n\n" is 3 bytes; the two-byte character then straddles byte 4000.
  m.raw_text = std::string(3996, 'x') + "\xC3\xA9" + "tail";
  const std::string body = DetailBody(m);
  EXPECT_EQ(body, "T\n\n" + std::string(3996, 'x') + "\n...");
  m.raw_text = "short";
  EXPECT_EQ(DetailBody(m), "T\n\nshort");
}

TEST_F(DialogTest, ATitleWithAMultiByteCharacterAtByte80IsCutBeforeIt) {
  NtDialog* dlg = Init();
  const std::string line = "NAVAREA III - 0001/26 " + std::string(79 - 22, 'A');
  ASSERT_EQ(line.size(), 79u);
  plugin_->LoadBulletinText(line + "\xC3\x89TAPE\nWRECK 41-20N 036-20E.\n");
  dlg->RefreshList();
  ASSERT_EQ(dlg->RowCount(), 1u);
  EXPECT_EQ(Cell(dlg->message_list(), 0, 3), line);

  // A message without title shows the first 80 bytes of its text, whole characters only.
  MsiMessage untitled;
  untitled.raw_text = std::string(79, 'B') + "\xC3\x89" + "MORE";
  EXPECT_EQ(ListRowOf(untitled, 0, true).title, std::string(79, 'B'));
}

TEST(TextConversion, InvalidBytesAreReplacedNotDropped) {
  EXPECT_EQ(ToWx("WRECK \xFF" "41N"), wxString::FromUTF8("WRECK \xEF\xBF\xBD" "41N"));
  EXPECT_EQ(ToWx("\xC3\x89TAPE"), wxString::FromUTF8("\xC3\x89TAPE"));
  EXPECT_EQ(ToWx(""), "");
}

TEST_F(DialogTest, ParcelAndReportButtonsReportInABox) {
  NtDialog* dlg = Init();
  std::string exported, hint, report;
  wxTEST_DIALOG(
      {
        exported = RunExportParcel(dlg, plugin_.get());
        hint = RunCorridorHint(dlg, plugin_.get());
        report = RunWriteReport(dlg, plugin_.get(), false);
      },
      wxExpectModal<wxMessageDialog>(wxID_OK), wxExpectModal<wxMessageDialog>(wxID_OK),
      wxExpectModal<wxMessageDialog>(wxID_OK));
  // Without an active route the export is refused, and the hint says how to get one.
  EXPECT_EQ(exported, "Parcel export refused: no active route \xE2\x80\x94 activate a route first");
  EXPECT_EQ(hint.rfind("No active route", 0), 0u) << hint;
  EXPECT_EQ(report.rfind("Report saved: ", 0), 0u) << report;
  wxTEST_DIALOG(EXPECT_EQ(ShowResultBox(dlg, "Parcel written", "Orvane parcel"), "Parcel written"),
                wxExpectModal<wxMessageDialog>(wxID_OK));
  // A cancelled file dialog imports nothing.
  wxTEST_DIALOG(EXPECT_EQ(RunImportParcel(dlg, plugin_.get()), ""), wxExpectModal<wxFileDialog>("", wxID_CANCEL));
}

}  // namespace
}  // namespace orvane
