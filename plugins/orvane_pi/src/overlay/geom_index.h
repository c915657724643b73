// Per-geometry boxes and anchors of a message store, kept between frames and
// mouse passes so that culling, hover and hit tests skip far geometries
// without walking their points. Brought up to date by Sync, which sees a
// replaced message by its geometry list and first geometry: the store's
// messages are replaced or merged, never edited in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// A geometry's extent in degrees, longitudes unwrapped along its points;
// circles and corridors include their radius.
struct GeoBox {
  double lat_min = 0.0, lat_max = 0.0, lon_min = 0.0, lon_max = 0.0;
};
GeoBox GeomBox(const MsiGeom& g);
// True when (lat, lon) may lie within reach_nm of the box (never false for
// a position that does).
bool BoxNear(const GeoBox& b, double lat, double lon, double reach_nm);

class GeomIndex {
 public:
  struct Entry {
    GeoBox box;
    // The box grown to hold the great-circle legs between a line's points,
    // which bow poleward of them; what the mouse passes test.
    GeoBox reach;
    LatLon anchor{0.0, 0.0};
    bool empty = true;  // no points
  };

  // Returns true when any entry changed (the store's geometries did).
  bool Sync(const MessageStore& store);
  // The union of message i's boxes (of its reach boxes); false when none
  // of its geometries has points.
  bool has_box(size_t i) const { return msg_[i].has_box; }
  const GeoBox& message_box(size_t i) const { return msg_[i].box; }
  const GeoBox& message_reach(size_t i) const { return msg_[i].reach; }
  // Entries of message i's geometries, in order; only after Sync.
  const Entry* begin(size_t i) const { return entries_.data() + offsets_[i]; }
  const Entry* end(size_t i) const { return entries_.data() + offsets_[i + 1]; }
  size_t messages() const { return offsets_.empty() ? 0 : offsets_.size() - 1; }
  // Raised by every change Sync sees.
  uint64_t generation() const { return generation_; }

 private:
  // What a message's entries were made from.
  struct Source {
    const void* geoms = nullptr;
    size_t count = 0;
    const void* points = nullptr;
    size_t points_count = 0;
    LatLon first{0.0, 0.0};
    int kind = -1;
    double radius = 0.0;
    bool operator==(const Source& o) const {
      return geoms == o.geoms && count == o.count && points == o.points && points_count == o.points_count &&
             first == o.first && kind == o.kind && (radius == o.radius || (radius != radius && o.radius != o.radius));
    }
  };
  struct MessageBoxes {
    GeoBox box, reach;
    bool has_box = false;
  };
  static Source SourceOf(const MsiMessage& m);
  void Fill(size_t i, const MsiMessage& m);

  std::vector<Source> sources_;
  std::vector<MessageBoxes> msg_;
  std::vector<Entry> entries_;
  std::vector<size_t> offsets_;
  uint64_t generation_ = 0;
};

}  // namespace orvane
