// Draws satellite tracks, marks and name labels onto the map's working
// bitmap: every selected satellite's ground track on the flat map, or the
// track of the pass being received on the globe.
#pragma once

#include <QImage>

#include <vector>

#include "map/map_projection.h"
#include "map/satellite_track.h"
#include "settings/app_settings.h"

namespace sorae {

// Flat mode: each track as a polyline split at the side edges, ending in
// the glyph and label at its first point.
void PaintGroundTracks(QImage& bitmap, const MapProjection& projection,
                       const AppSettings& settings, const std::vector<SatelliteTrack>& tracks);

// Globe mode: the pass track drawn where both ends of a piece are on the
// visible side; the mark sits at the first point, or off the bitmap at
// (-200, -200) when the satellite is behind the globe.
void PaintPassTrack(QImage& bitmap, const MapProjection& projection, const AppSettings& settings,
                    const SatelliteTrack& track);

// Glyph (black outline, then colour) and the outlined name label at (hx, hy).
// The label moves 60 pixels left when it would run over the right edge.
void PaintSatelliteMark(QImage& bitmap, int hx, int hy, ColourValue colour,
                        const std::string& name);

}  // namespace sorae
