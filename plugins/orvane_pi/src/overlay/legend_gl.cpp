#include <GL/gl.h>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <array>
#include <vector>

#include "overlay/dc_renderer.h"
#include "overlay/gl_renderer.h"
#include "overlay/legend.h"

namespace orvane {
namespace {

struct LegendPicture {
  std::array<int, kMsgTypeCount> counts{};
  std::string line;  // the colours and patterns it was drawn with
  double alpha = -1.0;
  Scheme scheme = Scheme::kDay;
  bool pattern = false;
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;  // top row first
};

}  // namespace

void DrawLegendGL(const Frame& frame, double overlay_alpha, bool pattern_fill, int canvas_width) {
  static LegendPicture pic;
  const std::string line = LegendLine();
  if (pic.counts != frame.counts || pic.line != line || pic.alpha != overlay_alpha || pic.pattern != pattern_fill ||
      pic.scheme != DrawScheme()) {
    pic = LegendPicture{frame.counts, line, overlay_alpha, DrawScheme(), pattern_fill, 0, 0, {}};
    wxBitmap probe(1, 1, 24);
    wxMemoryDC measure(probe);
    const wxSize size = LegendSize(measure, frame);
    measure.SelectObject(wxNullBitmap);
    if (size.x > 0) {
      wxBitmap bmp(size.x, size.y, 24);
      {
        wxMemoryDC dc(bmp);
        dc.SetBackground(wxBrush(DrawScheme() == Scheme::kDay ? *wxWHITE : wxColour(18, 18, 17)));
        dc.Clear();
        DrawLegendAt(dc, frame, overlay_alpha, pattern_fill, wxPoint(0, 0));
      }
      const wxImage img = bmp.ConvertToImage();
      pic.w = size.x;
      pic.h = size.y;
      pic.rgb.assign(img.GetData(), img.GetData() + static_cast<size_t>(size.x) * size.y * 3);
    }
  }
  if (pic.w == 0 || !glGetString(GL_VERSION)) return;
  glPushAttrib(GL_PIXEL_MODE_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // Pixel coordinates run down the canvas: rows are laid from the top down.
  glPixelZoom(1.0f, -1.0f);
  glRasterPos2i(canvas_width - pic.w - kLegendMargin, kLegendMargin);
  glDrawPixels(pic.w, pic.h, GL_RGB, GL_UNSIGNED_BYTE, pic.rgb.data());
  glPopClientAttrib();
  glPopAttrib();
}

}  // namespace orvane
