// Colours a window tree with the palette of a user-interface theme
// (0 system, 1 dark, 2 light).
#pragma once

#include <wx/colour.h>
#include <wx/window.h>

namespace orvane {

struct ThemeColours {
  wxColour container, text, button, entry;
};

// The palette of a theme with the system's colours filled in.
ThemeColours ThemeColoursOf(int theme);

// Windows with this name keep their own background (colour samples).
constexpr const char* kKeepColourName = "orvane_keep_colour";

// Colours top and every window under it, each before its children.
void ApplyTheme(wxWindow* top, int theme);

}  // namespace orvane
