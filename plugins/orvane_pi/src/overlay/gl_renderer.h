// Issues the OpenGL calls for one built frame, in the host's pixel
// coordinates, leaving the host's GL state as it found it.
#pragma once

#include "overlay/frame.h"

namespace orvane {

// False, drawing nothing, when no GL context is current.
bool DrawFrameGL(const Frame& frame, double overlay_line_width);

}  // namespace orvane
