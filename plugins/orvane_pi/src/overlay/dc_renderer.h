// Draws one built frame with the toolkit's pens and brushes, with the
// category labels beside areas and the hover line in the corner.
#pragma once

#include <string>

#include <wx/dc.h>

#include "overlay/frame.h"

namespace orvane {

bool DrawFrameDC(wxDC& dc, const Frame& frame, const std::string& hover_text);

// The route corridor band, under everything else; the winding rule fills
// its pieces' union once.
void DrawRouteBandDC(wxDC& dc, const std::vector<std::vector<PixPoint>>& band);

// The legend box in the canvas's top-right corner: one row per category
// with a message in the frame, its fill swatch (with its pattern), its
// symbol, its label and its count. Nothing when the frame counts none.
void DrawLegendDC(wxDC& dc, const Frame& frame, double overlay_alpha, bool pattern_fill, int canvas_width);
// The same box with its top-left corner at `at`.
void DrawLegendAt(wxDC& dc, const Frame& frame, double overlay_alpha, bool pattern_fill, wxPoint at);
// Width and height of that box for the given counts; (0, 0) for none.
wxSize LegendSize(wxDC& dc, const Frame& frame);

}  // namespace orvane
