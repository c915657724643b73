#include "ui/theme.h"

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "settings/settings.h"

namespace orvane {
namespace {

enum class Role { kEntry, kContainer, kButton };

struct KindRow {
  wxClassInfo* kind;
  Role role;
};

// Which palette colour each kind of window takes, first match wins; every
// other kind takes the button colour.
const KindRow* KindTable(size_t* n) {
  static const KindRow kRows[] = {
      {wxCLASSINFO(wxTextCtrl), Role::kEntry},     {wxCLASSINFO(wxListCtrl), Role::kEntry},
      {wxCLASSINFO(wxListBox), Role::kEntry},      {wxCLASSINFO(wxChoice), Role::kEntry},
      {wxCLASSINFO(wxComboBox), Role::kEntry},     {wxCLASSINFO(wxSpinCtrl), Role::kEntry},
      {wxCLASSINFO(wxSpinCtrlDouble), Role::kEntry}, {wxCLASSINFO(wxBookCtrlBase), Role::kContainer},
      {wxCLASSINFO(wxPanel), Role::kContainer},    {wxCLASSINFO(wxScrolledWindow), Role::kContainer},
      {wxCLASSINFO(wxDialog), Role::kContainer},   {wxCLASSINFO(wxFrame), Role::kContainer},
      {wxCLASSINFO(wxStaticText), Role::kContainer}, {wxCLASSINFO(wxCheckBox), Role::kContainer},
      {wxCLASSINFO(wxRadioBox), Role::kContainer}, {wxCLASSINFO(wxSlider), Role::kContainer},
  };
  *n = sizeof kRows / sizeof kRows[0];
  return kRows;
}

Role RoleOf(wxWindow* w) {
  size_t n = 0;
  const KindRow* rows = KindTable(&n);
  for (size_t i = 0; i < n; ++i)
    if (w->IsKindOf(rows[i].kind)) return rows[i].role;
  return Role::kButton;
}

wxColour Resolve(const ThemeColour& c, wxSystemColour system) {
  if (c.system) {
    const wxColour s = wxSystemSettings::GetColour(system);
    if (s.IsOk()) return s;
  }
  return wxColour(c.r, c.g, c.b);
}

void ColourTree(wxWindow* w, const ThemeColours& pal) {
  if (w->GetName() == kKeepColourName) return;
  switch (RoleOf(w)) {
    case Role::kEntry: w->SetBackgroundColour(pal.entry); break;
    case Role::kContainer: w->SetBackgroundColour(pal.container); break;
    case Role::kButton: w->SetBackgroundColour(pal.button); break;
  }
  w->SetForegroundColour(pal.text);
  w->Refresh();
  for (wxWindow* child : w->GetChildren()) ColourTree(child, pal);
}

}  // namespace

ThemeColours ThemeColoursOf(int theme) {
  const ThemePalette p = ThemePaletteOf(theme);
  return {Resolve(p.container, wxSYS_COLOUR_WINDOW), Resolve(p.text, wxSYS_COLOUR_WINDOWTEXT),
          Resolve(p.button, wxSYS_COLOUR_BTNFACE), Resolve(p.entry, wxSYS_COLOUR_WINDOW)};
}

void ApplyTheme(wxWindow* top, int theme) {
  if (!top) return;
  const ThemeColours pal = ThemeColoursOf(theme);
  top->SetBackgroundColour(pal.container);
  top->SetForegroundColour(pal.text);
  ColourTree(top, pal);
  top->Refresh();
  top->Update();
}

}  // namespace orvane
