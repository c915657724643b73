// The settings dialog under the toolkit, driven through its controls: start
// pages, sliders, the interval choice, the mandatory confirmations, the
// colour chooser and Cancel, the NAVAREA mode and Save, B2 letters, the
// fetch buttons and the real modal opening.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/colordlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/radiobox.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/filedlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <dlfcn.h>

#include "common/clock.h"
#include "common/paths.h"
#include "fetch/fetch_control.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "overlay/taxonomy.h"
#include "test_host.h"
#include "test_support.h"
#include "ui/modal.h"
#include "ui/settings_dialog.h"
#include "ui/receiver_page.h"
#include "receiver/receiver_input.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

// The colour chooser answered with a colour; records the colour it was preset to.
class ExpectColour : public wxExpectModalBase<wxColourDialog, ExpectColour> {
 public:
  ExpectColour(const wxColour& pick, wxColour* preset, int id = wxID_OK) : pick_(pick), preset_(preset), id_(id) {}

 protected:
  int OnInvoked(wxColourDialog* dlg) const override {
    if (preset_) *preset_ = dlg->GetColourData().GetColour();
    dlg->GetColourData().SetColour(pick_);
#ifdef __WXGTK__
    // The GTK chooser hands back what its widget holds, so the answer goes
    // there too, through GTK's own calls in the already loaded toolkit.
    struct Rgba {
      double red, green, blue, alpha;
    };
    using GetSelection = void* (*)(void* dialog);
    using SetRgba = void (*)(void* selection, const Rgba* colour);
    auto get = reinterpret_cast<GetSelection>(dlsym(RTLD_DEFAULT, "gtk_color_selection_dialog_get_color_selection"));
    auto set = reinterpret_cast<SetRgba>(dlsym(RTLD_DEFAULT, "gtk_color_selection_set_current_rgba"));
    if (get && set) {
      const Rgba rgba{pick_.Red() / 255.0, pick_.Green() / 255.0, pick_.Blue() / 255.0, 1.0};
      set(get(dlg->GetHandle()), &rgba);
    }
#endif
    return id_;
  }

 private:
  wxColour pick_;
  wxColour* preset_;
  int id_;
};

// Any modal dialog shown while it lives is counted and cancelled at once,
// so a dialog that should not appear fails the test instead of waiting.
class CountModalDialogs : public wxModalDialogHook {
 public:
  CountModalDialogs() { Register(); }
  ~CountModalDialogs() override { Unregister(); }
  int shown = 0;

 protected:
  int Enter(wxDialog*) override {
    ++shown;
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}
};

void Tick(wxCheckBox* box, bool on) {
  box->SetValue(on);
  wxCommandEvent ev(wxEVT_CHECKBOX, box->GetId());
  ev.SetEventObject(box);
  ev.SetInt(on);
  box->GetEventHandler()->ProcessEvent(ev);
}

void Press(wxWindow* button) {
  ASSERT_NE(button, nullptr);
  wxCommandEvent ev(wxEVT_BUTTON, button->GetId());
  ev.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(ev);
}

void Slide(wxSlider* slider, int value) {
  slider->SetValue(value);
  wxCommandEvent ev(wxEVT_SLIDER, slider->GetId());
  ev.SetEventObject(slider);
  ev.SetInt(value);
  slider->GetEventHandler()->ProcessEvent(ev);
}

void ChooseMode(wxRadioBox* radio, int selection) {
  radio->SetSelection(selection);
  wxCommandEvent ev(wxEVT_RADIOBOX, radio->GetId());
  ev.SetEventObject(radio);
  ev.SetInt(selection);
  radio->GetEventHandler()->ProcessEvent(ev);
}

void TickNavarea(wxCheckListBox* list, unsigned index, bool on) {
  list->Check(index, on);
  wxCommandEvent ev(wxEVT_CHECKLISTBOX, list->GetId());
  ev.SetEventObject(list);
  ev.SetInt(static_cast<int>(index));
  list->GetEventHandler()->ProcessEvent(ev);
}

void ClickSwatch(wxWindow* swatch) {
  wxMouseEvent ev(wxEVT_LEFT_UP);
  ev.SetEventObject(swatch);
  swatch->GetEventHandler()->ProcessEvent(ev);
}

std::string FileValue(const std::string& key) {
  std::istringstream in(test::ReadFile(SettingsFilePath()));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "<absent>";
}

class SettingsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    unsetenv("ORVANE_COLORS_PATH");
    // Nothing here may reach the network.
    setenv("ORVANE_PORTAL_URL", "http://127.0.0.1:9", 1);
    ResetTaxonomyForTesting();
    // A failed dialog expectation fails the test instead of opening an assert box.
    old_handler_ = wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond,
                                         const wxString& msg) {
      ADD_FAILURE_AT(file.utf8_str().data(), line) << cond.utf8_str().data() << " " << msg.utf8_str().data();
    });
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    testhost::Host().canvas = frame_;
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
  }
  void TearDown() override {
    plugin_.reset();
    frame_->Destroy();
    wxSetAssertHandler(old_handler_);
    unsetenv("ORVANE_PORTAL_URL");
    SetFetchCancel(false);
    ResetTaxonomyForTesting();
  }
  void WriteSettings(const std::string& text) {
    EnsureDirectory(root_.dir() + "/config/opencpn");
    std::ofstream(SettingsFilePath(), std::ios::binary) << text;
  }
  void Load() { plugin_->LoadSettings(); }
  std::unique_ptr<SettingsDialog> Open(int page = 0) {
    return std::make_unique<SettingsDialog>(frame_, *plugin_, page);
  }
  // Save as the user presses it; true when the dialog closed as accepted,
  // after which the settings are applied as ShowSettingsDialog does.
  bool Save(SettingsDialog& d) {
    d.SetReturnCode(0);
    Press(d.FindWindow(wxID_OK));
    if (d.GetReturnCode() != wxID_OK) return false;
    d.Finish(wxID_OK);
    return true;
  }

  test::TempDataRoot root_;
  wxFrame* frame_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
  wxAssertHandler_t old_handler_ = nullptr;
};

TEST_F(SettingsDialogTest, OpensOnTheRequestedPageLimitedToThePagesThereAre) {
  Load();
  const struct { int requested, shown; } cases[] = {{5, 3}, {-1, 0}, {1, 1}};
  for (const auto& c : cases) {
    auto d = Open(c.requested);
    ASSERT_EQ(d->notebook()->GetPageCount(), 4u);
    EXPECT_EQ(d->notebook()->GetSelection(), c.shown) << c.requested;
  }
  auto d = Open(0);
  EXPECT_EQ(d->GetTitle(), "Orvane settings");
  EXPECT_EQ(d->GetSize(), wxSize(640, 760));
  EXPECT_EQ(d->GetMinSize(), wxSize(540, 640));
  EXPECT_EQ(d->notebook()->GetPageText(0), "Overlay");
  EXPECT_EQ(d->notebook()->GetPageText(1), "Message settings");
  EXPECT_EQ(d->notebook()->GetPageText(2), "Fetch settings");
  EXPECT_EQ(d->notebook()->GetPageText(3), "Receiver");
  ASSERT_EQ(d->theme_choice()->GetCount(), 3u);
  EXPECT_EQ(d->theme_choice()->GetString(0), "Theme: System");
  EXPECT_EQ(d->theme_choice()->GetString(2), "Theme: Light");
}

// The Receiver page: the input and the letters kept, saved and in effect.
TEST_F(SettingsDialogTest, ReceiverPageChoosesTheInputAndTheLettersKept) {
  Load();
  auto d = Open(3);
  ReceiverPage* p = d->receiver_page();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->source_choice()->GetSelection(), 0);  // off
  EXPECT_FALSE(p->tcp_text()->IsEnabled());
  EXPECT_EQ(p->status_label()->GetLabel(), "Receiver: off");
  p->source_choice()->SetSelection(static_cast<int>(ReceiverSource::kTcp));
  wxCommandEvent choice(wxEVT_CHOICE, p->source_choice()->GetId());
  choice.SetEventObject(p->source_choice());
  p->source_choice()->GetEventHandler()->ProcessEvent(choice);
  EXPECT_TRUE(p->tcp_text()->IsEnabled());
  EXPECT_FALSE(p->device_text()->IsEnabled());
  EXPECT_FALSE(p->browse_button()->IsEnabled());
  // Browse opens the plug-in's own file dialog (modal, ended at shutdown);
  // a cancelled one leaves the path alone.
  p->source_choice()->SetSelection(static_cast<int>(ReceiverSource::kFile));
  p->source_choice()->GetEventHandler()->ProcessEvent(choice);
  ASSERT_TRUE(p->browse_button()->IsEnabled());
  p->file_text()->SetValue("kept.nmea");
  wxTEST_DIALOG(Press(p->browse_button()), wxExpectModal<wxFileDialog>("", wxID_CANCEL));
  EXPECT_EQ(p->file_text()->GetValue().utf8_string(), "kept.nmea");
  p->source_choice()->SetSelection(static_cast<int>(ReceiverSource::kTcp));
  p->source_choice()->GetEventHandler()->ProcessEvent(choice);
  p->tcp_text()->SetValue("127.0.0.1:9");  // nothing listens there: the input keeps trying
  p->b1_text()->SetValue("n, o, p");
  p->b2_text()->SetValue("e");
  ASSERT_TRUE(Save(*d));
  const Settings& s = plugin_->settings();
  EXPECT_EQ(s.receiver_source, static_cast<int32_t>(ReceiverSource::kTcp));
  EXPECT_EQ(s.receiver_tcp, "127.0.0.1:9");
  EXPECT_EQ(MaskLetters(s.receiver_b1_mask), "NOP");
  EXPECT_EQ(MaskLetters(s.receiver_b2_mask), "ABDEL");
  EXPECT_EQ(FileValue("ReceiverSource"), "2");
  EXPECT_EQ(plugin_->ReceiverStatusText().rfind("Receiver: TCP 127.0.0.1:9 \xE2\x80\x94 ", 0), 0u)
      << plugin_->ReceiverStatusText();
}

// The real opening: modal, on the page given, recorded in the plug-in, and
// the settings file written as the dialog opens.
TEST_F(SettingsDialogTest, ShowSettingsDialogRunsModallyOnThePageGiven) {
  WriteSettings("UiTheme=7\nOverlayAlpha=0.5\n");
  Load();
  std::remove(SettingsFilePath().c_str());
  int seen_page = -1;
  bool was_modal = false, seen_file = false;
  int attempts = 0;
  wxTimer driver;
  driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    SettingsDialog* d = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* s = dynamic_cast<SettingsDialog*>(w)) d = s;
    if (!d || !d->IsModal()) {
      if (++attempts < 200) driver.StartOnce(20);
      return;
    }
    was_modal = true;
    seen_page = d->notebook()->GetSelection();
    seen_file = !test::ReadFile(SettingsFilePath()).empty();
    Slide(d->opacity_slider(), 40);
    Press(d->FindWindow(wxID_OK));
  });
  driver.StartOnce(20);
  plugin_->ShowSettingsDialog(frame_, 5);
  EXPECT_TRUE(was_modal);
  EXPECT_EQ(seen_page, 3);  // the last page there is: Receiver
  EXPECT_TRUE(seen_file);
  EXPECT_EQ(plugin_->settings_start_page(), 5);
  EXPECT_EQ(plugin_->settings_dialog_opens(), 1);
  // UiTheme 7 was brought into range on opening; Save applied the slider.
  EXPECT_EQ(plugin_->settings().ui_theme, 0);
  EXPECT_EQ(FileValue("UiTheme"), "0");
  EXPECT_DOUBLE_EQ(plugin_->settings().overlay_alpha, 0.4);
}

// The host closes while the settings dialog is up with a message box over
// it (Save in manual mode with no NAVAREA): the canvas it was opened over
// goes first, then DeInit. Neither dialog belongs to the canvas, DeInit
// ends both, innermost first, and the opening returns without touching the
// plug-in again.
TEST_F(SettingsDialogTest, DeInitEndsTheOpenDialogsAfterTheCanvasIsGone) {
  Load();
  size_t open_at_close = 0;
  int attempts = 0;
  wxTimer opener, closer;
  opener.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    SettingsDialog* d = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* s = dynamic_cast<SettingsDialog*>(w); s && s->IsModal()) d = s;
    if (!d) {
      if (++attempts < 200) opener.StartOnce(20);
      return;
    }
    ChooseMode(d->mode_radio(), 1);
    for (unsigned i = 0; i < d->navarea_list()->GetCount(); ++i) TickNavarea(d->navarea_list(), i, false);
    closer.StartOnce(100);
    Press(d->FindWindow(wxID_OK));  // the warning box runs here until DeInit ends it
  });
  closer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    open_at_close = OpenPluginModals();
    delete frame_;
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    testhost::Host().canvas = frame_;
    plugin_->DeInit();
  });
  opener.StartOnce(20);
  EXPECT_FALSE(plugin_->ShowSettingsDialog(frame_, 2));
  EXPECT_EQ(open_at_close, 2u);
  EXPECT_EQ(OpenPluginModals(), 0u);
  EXPECT_TRUE(PluginClosing());
  // Nothing more is shown once the plug-in is closing.
  EXPECT_EQ(PluginMessageBox("x", "y", wxOK, nullptr), kModalShutdown);
}

// The settings dialog as the toolbar and the host's preferences button open
// it: records the notebook page it opened on and cancels it.
class ExpectSettings : public wxExpectModalBase<SettingsDialog, ExpectSettings> {
 public:
  explicit ExpectSettings(int* page) : page_(page) {}

 protected:
  int OnInvoked(SettingsDialog* dlg) const override {
    *page_ = dlg->notebook()->GetSelection();
    return wxID_CANCEL;
  }

 private:
  int* page_;
};

TEST_F(SettingsDialogTest, ToolbarBurstsAndThePreferencesButtonOpenTheirPages) {
  ManualClock clock;
  SetClock(&clock);
  ASSERT_EQ(plugin_->Init(), 0x0008891F);
  auto burst = [&](int clicks) {
    for (int i = 0; i < clicks; ++i) {
      clock.Advance(i == 0 ? 5000 : 300);
      plugin_->OnToolbarToolCallback(plugin_->tool_id());
    }
    clock.Advance(kClickBurstMs);
    wxTimer timer(frame_, kClickTimerId);
    wxTimerEvent ev(timer);
    frame_->GetEventHandler()->ProcessEvent(ev);
  };
  int page = -1;
  wxTEST_DIALOG(burst(2), ExpectSettings(&page));
  EXPECT_EQ(page, 0);
  wxTEST_DIALOG(burst(3), ExpectSettings(&page));
  EXPECT_EQ(page, 1);
  // Once more on the colour page, then back to the first.
  wxTEST_DIALOG(plugin_->ShowPreferencesDialog(frame_), ExpectSettings(&page));
  EXPECT_EQ(page, 1);
  wxTEST_DIALOG(plugin_->ShowPreferencesDialog(frame_), ExpectSettings(&page));
  EXPECT_EQ(page, 0);
  plugin_->DeInit();
  SetClock(nullptr);
}

TEST_F(SettingsDialogTest, SlidersOpenAtTheRoundedSettingsAndApplyAtOnce) {
  Load();
  plugin_->SetOverlayAlpha(0.35);
  plugin_->SetOverlayLineWidth(2.5);
  {
    auto d = Open();
    EXPECT_EQ(d->opacity_slider()->GetMin(), 10);
    EXPECT_EQ(d->opacity_slider()->GetMax(), 85);
    EXPECT_EQ(d->opacity_slider()->GetValue(), 35);
    EXPECT_EQ(d->opacity_label()->GetLabel(), "Opacity: 35%");
    EXPECT_EQ(d->line_width_slider()->GetMin(), 1);
    EXPECT_EQ(d->line_width_slider()->GetMax(), 6);
    EXPECT_EQ(d->line_width_slider()->GetValue(), 3);
    EXPECT_EQ(d->line_width_label()->GetLabel(), "Line width: 3 px");
  }
  plugin_->SetOverlayAlpha(0.849);
  auto d = Open();
  EXPECT_EQ(d->opacity_slider()->GetValue(), 85);
  EXPECT_EQ(d->opacity_label()->GetLabel(), "Opacity: 85%");

  // Moving a slider changes the chart at once, before Save or Cancel.
  Slide(d->opacity_slider(), 50);
  EXPECT_EQ(d->opacity_label()->GetLabel(), "Opacity: 50%");
  EXPECT_DOUBLE_EQ(plugin_->settings().overlay_alpha, 0.5);
  EXPECT_EQ(FileValue("OverlayAlpha"), "0.5");
  Slide(d->line_width_slider(), 5);
  EXPECT_EQ(d->line_width_label()->GetLabel(), "Line width: 5 px");
  EXPECT_DOUBLE_EQ(plugin_->settings().overlay_line_width, 5.0);
  Tick(d->pattern_box(), false);
  EXPECT_FALSE(plugin_->settings().pattern_fill);
  EXPECT_EQ(FileValue("PatternFill"), "0");
  EXPECT_TRUE(d->legend_box()->GetValue());
  Tick(d->legend_box(), false);
  EXPECT_FALSE(plugin_->settings().show_legend);
  EXPECT_EQ(FileValue("ShowLegend"), "0");
  EXPECT_DOUBLE_EQ(d->corridor_spin()->GetValue(), 50.0);
  d->corridor_spin()->SetValue(12.5);
  wxSpinDoubleEvent spin(wxEVT_SPINCTRLDOUBLE, d->corridor_spin()->GetId(), 12.5);
  spin.SetEventObject(d->corridor_spin());
  d->corridor_spin()->GetEventHandler()->ProcessEvent(spin);
  EXPECT_DOUBLE_EQ(plugin_->settings().corridor_nm, 12.5);
  EXPECT_EQ(FileValue("CorridorNm"), "12.5");
  d->Finish(wxID_CANCEL);
  EXPECT_DOUBLE_EQ(plugin_->settings().overlay_alpha, 0.5);
}

TEST_F(SettingsDialogTest, AnIntervalSetByHandIsAddedToTheChoice) {
  WriteSettings("FetchIntervalMin=45\n");
  Load();
  auto d = Open(2);
  wxChoice* c = d->interval_choice();
  ASSERT_EQ(c->GetCount(), 8u);
  EXPECT_EQ(c->GetString(0), "15");
  EXPECT_EQ(c->GetString(6), "720");
  EXPECT_EQ(c->GetString(7), "45");
  EXPECT_EQ(c->GetSelection(), 7);
  ASSERT_TRUE(Save(*d));
  EXPECT_EQ(plugin_->settings().fetch_interval_min, 45);

  // Another choice takes effect on Save.
  auto e = Open(2);
  ASSERT_EQ(e->interval_choice()->GetCount(), 8u);
  e->interval_choice()->SetSelection(1);
  ASSERT_TRUE(Save(*e));
  EXPECT_EQ(plugin_->settings().fetch_interval_min, 30);
  EXPECT_EQ(FileValue("FetchIntervalMin"), "30");
}

TEST_F(SettingsDialogTest, UntickingWeatherAsksAndOnlyYesHidesItOnSave) {
  Load();
  auto d = Open(1);
  wxCheckBox* weather = d->type_box(WEATHER);
  EXPECT_EQ(weather->GetLabel(), "WEATHER - Weather / ice [pink-stripe]");
  ASSERT_TRUE(weather->GetValue());

  wxTEST_DIALOG(Tick(weather, false), wxExpectModal<wxMessageDialog>(wxNO));
  EXPECT_TRUE(weather->GetValue());
  EXPECT_TRUE(d->LegendRowShown(WEATHER));

  wxTEST_DIALOG(Tick(weather, false), wxExpectModal<wxMessageDialog>(wxYES));
  EXPECT_FALSE(weather->GetValue());
  // The legend follows at once; the mask only on Save.
  EXPECT_FALSE(d->LegendRowShown(WEATHER));
  EXPECT_TRUE(plugin_->IsTypeVisible(WEATHER));
  ASSERT_TRUE(Save(*d));
  EXPECT_FALSE(plugin_->IsTypeVisible(WEATHER));
  EXPECT_EQ(std::stol(FileValue("TypeMask")) & (1 << WEATHER), 0);

  // The next start ticks it again.
  std::unique_ptr<orvane_pi> next(static_cast<orvane_pi*>(create_pi(nullptr)));
  next->LoadSettings();
  EXPECT_TRUE(next->IsTypeVisible(WEATHER));
}

TEST_F(SettingsDialogTest, OptionalCategoriesGoWithoutAQuestionAndTheLegendEmpties) {
  Load();
  auto d = Open(1);
  CountModalDialogs dialogs;
  Tick(d->type_box(MINE), false);
  EXPECT_EQ(dialogs.shown, 0);
  EXPECT_FALSE(d->LegendRowShown(MINE));
  EXPECT_TRUE(d->LegendRowShown(DRILLING));
  EXPECT_FALSE(d->LegendEmptyTextShown());
  // Every box off (the mandatory ones are confirmed by the counting hook's
  // Cancel, which keeps them ticked, so they are switched off directly).
  for (int i = 0; i < kMsgTypeCount; ++i) {
    wxCheckBox* box = d->type_box(static_cast<MsgType>(i));
    if (!IsMandatoryType(static_cast<MsgType>(i))) Tick(box, false);
  }
  EXPECT_EQ(dialogs.shown, 0);
  Tick(d->type_box(OTHER), false);  // mandatory: asked, answered Cancel
  EXPECT_EQ(dialogs.shown, 1);
  EXPECT_TRUE(d->type_box(OTHER)->GetValue());
  for (MsgType t : {SAR_OPS, PIRACY, AIDS, WEATHER, RESTRICT, OTHER}) d->type_box(t)->SetValue(false);
  Tick(d->type_box(DRILLING), false);  // an optional box, already off: only refreshes the legend
  EXPECT_TRUE(d->LegendEmptyTextShown());
  EXPECT_FALSE(d->LegendRowShown(DRILLING));
  d->Finish(wxID_CANCEL);
  EXPECT_TRUE(plugin_->IsTypeVisible(MINE));  // nothing saved without Save
}

TEST_F(SettingsDialogTest, APickedMineColourPreviewsAndCancelRestoresIt) {
  Load();
  const TypeRgb before = EffectiveRgba(MINE);
  auto d = Open(1);
  EXPECT_EQ(d->type_swatch(MINE)->GetToolTipText(), "Click to pick bucket color");
  wxColour preset;
  wxTEST_DIALOG(ClickSwatch(d->type_swatch(MINE)), ExpectColour(wxColour(0, 255, 0), &preset));
  // Preset to the effective colour, opaque.
  EXPECT_EQ(preset, wxColour(217, 13, 217));
  const TypeRgb previewed = EffectiveRgba(MINE);
  EXPECT_EQ(previewed, (TypeRgb{0.0f, 1.0f, 0.0f, 0.55f}));
  ASSERT_TRUE(d->pending_overrides().at(MINE).has_value());

  d->Finish(wxID_CANCEL);
  EXPECT_EQ(EffectiveRgba(MINE), before);
  EXPECT_FALSE(GetOverride(MINE).has_value());
}

TEST_F(SettingsDialogTest, CancelPutsBackAnOverrideThatWasThereAndSaveKeepsAPick) {
  WriteSettings("ColorOverride_MINE=1,0,0,0.02\nColorOverride_AIDS=0,0,1,0.8\n");
  Load();
  auto d = Open(1);
  // The override's alpha is too faint to keep: a pick gets 0.55.
  wxTEST_DIALOG(ClickSwatch(d->type_swatch(MINE)), ExpectColour(wxColour(0, 0, 255), nullptr));
  EXPECT_EQ(EffectiveRgba(MINE), (TypeRgb{0.0f, 0.0f, 1.0f, 0.55f}));
  Press(d->reset_button(AIDS));
  EXPECT_FALSE(GetOverride(AIDS).has_value());
  EXPECT_EQ(EffectiveRgba(AIDS), BuiltinStyle(AIDS).rgba);
  // A chooser closed with Cancel changes nothing.
  wxTEST_DIALOG(ClickSwatch(d->type_swatch(DRIFT)), ExpectColour(wxColour(1, 2, 3), nullptr, wxID_CANCEL));
  EXPECT_FALSE(GetOverride(DRIFT).has_value());
  d->Finish(wxID_CANCEL);
  EXPECT_EQ(GetOverride(MINE), (TypeRgb{1.0f, 0.0f, 0.0f, 0.02f}));
  EXPECT_EQ(GetOverride(AIDS), (TypeRgb{0.0f, 0.0f, 1.0f, 0.8f}));

  auto e = Open(1);
  wxTEST_DIALOG(ClickSwatch(e->type_swatch(WRECK)), ExpectColour(wxColour(255, 255, 0), nullptr));
  Press(e->reset_button(MINE));
  ASSERT_TRUE(Save(*e));
  EXPECT_EQ(FileValue("ColorOverride_WRECK"), "1.0000,1.0000,0.0000,0.5500");
  EXPECT_EQ(FileValue("ColorOverride_MINE"), "<absent>");
  EXPECT_EQ(FileValue("ColorOverride_AIDS"), "0.0000,0.0000,1.0000,0.8000");
}

TEST_F(SettingsDialogTest, ManualModeWithNothingTickedRefusesSave) {
  Load();
  auto d = Open(2);
  ChooseMode(d->mode_radio(), 1);
  EXPECT_TRUE(d->navarea_list()->IsEnabled());
  EXPECT_FALSE(d->adjacent_box()->IsEnabled());
  Press(d->FindWindow(kNoNavareasButtonId));
  EXPECT_EQ(plugin_->settings().navarea_mask, 0x1FFFFF);  // None alone changes nothing
  bool accepted = true;
  wxTEST_DIALOG(accepted = Save(*d), wxExpectModal<wxMessageDialog>(wxOK).Describe("manual mode needs a NAVAREA"));
  EXPECT_FALSE(accepted);
  EXPECT_TRUE(d->ManualMode());

  // Switching to Auto lets Save through and stores NavareaMask 0 ...
  ChooseMode(d->mode_radio(), 0);
  EXPECT_FALSE(d->navarea_list()->IsEnabled());
  EXPECT_TRUE(d->adjacent_box()->IsEnabled());
  ASSERT_TRUE(Save(*d));
  EXPECT_TRUE(plugin_->settings().navarea_auto);
  EXPECT_EQ(FileValue("NavareaMask"), "0");
  // ... which the next load turns into all 21.
  std::unique_ptr<orvane_pi> next(static_cast<orvane_pi*>(create_pi(nullptr)));
  next->LoadSettings();
  EXPECT_EQ(next->settings().navarea_mask, 0x1FFFFF);
}

TEST_F(SettingsDialogTest, NavareaTicksApplyAtOnceOnlyInManualMode) {
  WriteSettings("NavareaMask=4\nNavareaAllMigrated=1\nNavareaAuto=1\n");
  Load();
  auto d = Open(2);
  wxCheckListBox* list = d->navarea_list();
  ASSERT_EQ(list->GetCount(), 21u);
  EXPECT_EQ(list->GetString(0), "NAVAREA I (1)");
  EXPECT_EQ(list->GetString(20), "NAVAREA XXI (21)");
  EXPECT_TRUE(list->IsChecked(2));
  EXPECT_FALSE(list->IsChecked(0));
  EXPECT_EQ(d->mode_radio()->GetSelection(), 0);
  EXPECT_FALSE(list->IsEnabled());  // auto mode from the start

  TickNavarea(list, 0, true);
  EXPECT_EQ(plugin_->settings().navarea_mask, 4);
  ChooseMode(d->mode_radio(), 1);
  TickNavarea(list, 3, true);  // I (ticked in auto mode), III and IV
  EXPECT_EQ(plugin_->settings().navarea_mask, 0xD);
  EXPECT_EQ(FileValue("NavareaMask"), "13");
  Press(d->FindWindow(kSelectAllNavareasButtonId));
  EXPECT_EQ(plugin_->settings().navarea_mask, 0xD);
  EXPECT_EQ(d->TickedNavareaMask(), 0x1FFFFF);
}

TEST_F(SettingsDialogTest, B2CIsClearedAndMandatoryAStaysSetAfterSave) {
  Load();
  auto d = Open(1);
  EXPECT_EQ(d->b2_box('Z'), nullptr);
  EXPECT_EQ(d->b2_box('H'), nullptr);
  ASSERT_NE(d->b2_box('C'), nullptr);
  EXPECT_TRUE(d->b2_box('A')->GetLabel().StartsWith("A - "));
  EXPECT_TRUE(d->b2_box('A')->GetLabel().EndsWith("(mandatory)"));
  EXPECT_TRUE(d->b2_box('C')->GetLabel().EndsWith("(optional)"));
  {
    CountModalDialogs dialogs;
    Tick(d->b2_box('C'), false);
    EXPECT_EQ(dialogs.shown, 0);
  }
  wxTEST_DIALOG(Tick(d->b2_box('A'), false), wxExpectModal<wxMessageDialog>(wxYES));
  EXPECT_FALSE(d->b2_box('A')->GetValue());
  wxTEST_DIALOG(Tick(d->b2_box('D'), false), wxExpectModal<wxMessageDialog>(wxNO));
  EXPECT_TRUE(d->b2_box('D')->GetValue());
  ASSERT_TRUE(Save(*d));
  EXPECT_FALSE(plugin_->IsB2Visible('C'));
  EXPECT_TRUE(plugin_->IsB2Visible('A'));
  EXPECT_TRUE(plugin_->IsB2Visible('D'));
  EXPECT_FALSE(plugin_->IsB2Visible('Z'));
  const uint32_t mask = static_cast<uint32_t>(std::stol(FileValue("B2Mask")));
  EXPECT_EQ(mask & (1u << 2), 0u);  // C
  EXPECT_NE(mask & 1u, 0u);         // A
  EXPECT_EQ(mask & (1u << 25), 0u); // Z
}

TEST_F(SettingsDialogTest, SaveAppliesTheFetchControls) {
  Load();
  auto d = Open(2);
  Tick(d->schedule_box(), false);
  Tick(d->coastal_box(), false);
  Tick(d->adjacent_box(), true);
  d->gap_spin()->SetValue(1500);
  d->extra_urls()->SetValue(" https://a.example/x \nnot a url\n");
  EXPECT_EQ(d->gap_spin()->GetMin(), 750);
  EXPECT_EQ(d->gap_spin()->GetMax(), 60000);
  // Fetch settings apply only on Save.
  EXPECT_TRUE(plugin_->settings().fetch_schedule_enabled);
  ASSERT_TRUE(Save(*d));
  EXPECT_FALSE(plugin_->settings().fetch_schedule_enabled);
  EXPECT_FALSE(plugin_->settings().coastal_feeds_enabled);
  EXPECT_TRUE(plugin_->settings().adjacent_prefetch);
  EXPECT_EQ(plugin_->settings().fetch_gap_ms, 1500);
  EXPECT_EQ(plugin_->settings().extra_feed_urls, " https://a.example/x \nnot a url\n");
  EXPECT_EQ(FileValue("FetchGapMs"), "1500");
}

TEST_F(SettingsDialogTest, FetchPageLinesAndButtons) {
  Load();
  plugin_->SetStatusText("sample corpus (offline)");
  auto d = Open(2);
  EXPECT_EQ(d->last_fetch_label()->GetLabel(), "Last fetch: sample corpus (offline)");
  EXPECT_EQ(d->cache_label()->GetLabel(), "Cache: (empty / not created yet)");
  EXPECT_TRUE(d->registry_label()->GetLabel().StartsWith("Coastal registry"));
  EXPECT_TRUE(d->fetch_now_button()->IsEnabled());
  EXPECT_FALSE(d->cancel_fetch_button()->IsEnabled());

  Press(d->cancel_fetch_button());
  EXPECT_TRUE(FetchCancelled());
  EXPECT_EQ(d->last_fetch_label()->GetLabel(), wxString::FromUTF8("Last fetch: cancel requested\xE2\x80\xA6"));
  EXPECT_FALSE(d->cancel_fetch_button()->IsEnabled());

  wxTEST_DIALOG(Press(d->FindWindow(kPurgeStaleCacheButtonId)), wxExpectModal<wxMessageDialog>(wxNO),
                wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_EQ(d->last_fetch_label()->GetLabel(), "Purged 0 stale NAVAREA cache file(s) (>24 h)");
}

TEST_F(SettingsDialogTest, FetchNowChecksTheManualSelectionThenAppliesAndStarts) {
  Load();
  auto d = Open(2);
  ChooseMode(d->mode_radio(), 1);
  Press(d->FindWindow(kNoNavareasButtonId));
  const int starts = plugin_->fetch_starts();
  wxTEST_DIALOG(Press(d->fetch_now_button()), wxExpectModal<wxMessageDialog>(wxID_OK));
  EXPECT_EQ(plugin_->fetch_starts(), starts);
  EXPECT_TRUE(d->fetch_now_button()->IsEnabled());

  TickNavarea(d->navarea_list(), 2, true);
  d->interval_choice()->SetSelection(4);
  d->gap_spin()->SetValue(900);
  Press(d->fetch_now_button());
  EXPECT_EQ(plugin_->fetch_starts(), starts + 1);
  EXPECT_FALSE(plugin_->settings().navarea_auto);
  EXPECT_EQ(plugin_->settings().navarea_mask, 4);
  EXPECT_EQ(plugin_->settings().fetch_interval_min, 180);
  EXPECT_EQ(plugin_->settings().fetch_gap_ms, 900);
  EXPECT_FALSE(d->fetch_now_button()->IsEnabled());
  EXPECT_TRUE(d->cancel_fetch_button()->IsEnabled());
  EXPECT_TRUE(d->last_fetch_label()->GetLabel().StartsWith("Last fetch: "));
}

TEST_F(SettingsDialogTest, ThemeChoiceAppliesAndSavesAtOnce) {
  Load();
  auto d = Open();
  d->theme_choice()->SetSelection(1);
  wxCommandEvent ev(wxEVT_CHOICE, d->theme_choice()->GetId());
  ev.SetEventObject(d->theme_choice());
  ev.SetInt(1);
  d->theme_choice()->GetEventHandler()->ProcessEvent(ev);
  EXPECT_EQ(plugin_->settings().ui_theme, 1);
  EXPECT_EQ(FileValue("UiTheme"), "1");
  EXPECT_EQ(d->GetBackgroundColour(), wxColour(32, 32, 32));
  d->Finish(wxID_CANCEL);
  EXPECT_EQ(plugin_->settings().ui_theme, 1);
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// Writes a PNG of each page of the dialog, opened the real way, into
// $ORVANE_SCREENSHOT_DIR (the README's pictures); skipped when it is unset.
TEST(SettingsDialogScreenshots, WritesEachPage) {
  const char* dir = std::getenv("ORVANE_SCREENSHOT_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "ORVANE_SCREENSHOT_DIR not set";
  test::TempDataRoot root;
  testhost::Reset();
  setenv("ORVANE_PORTAL_URL", "http://127.0.0.1:9", 1);
  auto* frame = new wxFrame(nullptr, wxID_ANY, "canvas");
  testhost::Host().canvas = frame;
  std::unique_ptr<orvane_pi> plugin(static_cast<orvane_pi*>(create_pi(nullptr)));
  plugin->LoadSettings();
  plugin->SetStatusText("sample corpus (offline)");

  const char* names[] = {"settings_overlay.png", "settings_messages.png", "settings_fetch.png"};
  std::vector<std::string> written;
  for (int page = 0; page < 3; ++page) {
    // Each page is opened as the start page, so the first drawing is the picture.
    wxTimer driver;
    driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      SettingsDialog* d = nullptr;
      for (wxWindow* w : wxTopLevelWindows)
        if (auto* s = dynamic_cast<SettingsDialog*>(w)) d = s;
      if (!d || !d->IsModal()) return;
      driver.Stop();
      EXPECT_EQ(d->notebook()->GetSelection(), page);
      const wxRect r = d->GetScreenRect();
      // Read the display afresh through GDK (the toolkit's screen DC keeps
      // the first picture it took).
      using RootWindow = void* (*)();
      using FromWindow = GdkPixbuf* (*)(void*, int, int, int, int);
      auto root = reinterpret_cast<RootWindow>(dlsym(RTLD_DEFAULT, "gdk_get_default_root_window"));
      auto grab = reinterpret_cast<FromWindow>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
      GdkPixbuf* pixels = root && grab ? grab(root(), r.x, r.y, r.width, r.height) : nullptr;
      const std::string path = std::string(dir) + "/" + names[page];
      if (pixels && wxBitmap(pixels).SaveFile(ToWx(path), wxBITMAP_TYPE_PNG)) written.push_back(path);
      d->EndModal(wxID_CANCEL);
    });
    // The first drawing of a new window takes a while on a virtual display.
    driver.Start(2500);
    plugin->ShowSettingsDialog(frame, page);
  }
  EXPECT_EQ(written.size(), 3u);
  plugin.reset();
  frame->Destroy();
  unsetenv("ORVANE_PORTAL_URL");
}

}  // namespace
}  // namespace orvane
