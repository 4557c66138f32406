// What the orbit map may add over the tracks, each switched on in the orbit
// settings: the night side shaded, each satellite's footprint, and the next
// pass's acquisition and loss times along its track.
#pragma once

#include <QImage>

#include <vector>

#include "map/map_projection.h"
#include "map/satellite_track.h"
#include "map/solar_terminator.h"
#include "settings/app_settings.h"

namespace sorae {

// Flat mode only: darkens every pixel whose column's terminator puts it on
// the night side.
void PaintNightShade(QImage& bitmap, const MapProjection& projection, const SubsolarPoint& sun);

// The footprint rim of each track with a known height, in its track colour.
void PaintFootprints(QImage& bitmap, const MapProjection& projection, const AppSettings& settings,
                     const std::vector<SatelliteTrack>& tracks);

// A dot and the label of each mark of the tracks.
void PaintTrackMarks(QImage& bitmap, const MapProjection& projection, const std::vector<SatelliteTrack>& tracks);

}  // namespace sorae
