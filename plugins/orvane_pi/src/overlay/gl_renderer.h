// Issues the OpenGL calls for one built frame, in the host's pixel
// coordinates, leaving the host's GL state as it found it.
#pragma once

#include "overlay/frame.h"

namespace orvane {

// False, drawing nothing, when no GL context is current.
bool DrawFrameGL(const Frame& frame, double overlay_line_width);

// The route corridor band, under everything else.
void DrawRouteBandGL(const std::vector<std::vector<PixPoint>>& band);

// The legend box of the device-context path, drawn by the toolkit into a
// picture and put in the top-right corner of a canvas of that width; the
// picture is made again only when the counts or the colours change.
void DrawLegendGL(const Frame& frame, double overlay_alpha, bool pattern_fill, int canvas_width);

}  // namespace orvane
