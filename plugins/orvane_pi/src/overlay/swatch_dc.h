// A sample of a category's bucket for lists and the colour settings.
#pragma once

#include <wx/dc.h>

#include "parse/msi_model.h"

namespace orvane {

// Paints a w-by-h sample (each side at least 4) of t's effective bucket at
// the origin of dc: the fill, then its stripes or hatch.
void PaintBucketSwatch(wxDC& dc, const wxSize& size, MsgType t);

}  // namespace orvane
