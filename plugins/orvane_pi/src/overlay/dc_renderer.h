// Draws one built frame with the toolkit's pens and brushes, with the
// category labels beside areas and the hover line in the corner.
#pragma once

#include <string>

#include <wx/dc.h>

#include "overlay/frame.h"

namespace orvane {

bool DrawFrameDC(wxDC& dc, const Frame& frame, const std::string& hover_text);

}  // namespace orvane
