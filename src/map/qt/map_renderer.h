// The orbit view's bitmaps and their drawing: the base map (background,
// world outlines, grid and labels), redrawn only when its look changes, and
// the once-a-second working copy with the station, the tracks and marks, or
// in globe mode the 300 x 300 inset around the station. The flat map adds
// what the [Map] settings ask for: night shading, footprints, pass times.
#pragma once

#include <QImage>

#include <optional>
#include <string>

#include "map/map_projection.h"
#include "map/satellite_track.h"
#include "orbit/day_time.h"
#include "settings/app_settings.h"

namespace sorae {

class MapRenderer {
public:
    explicit MapRenderer(const AppSettings& settings);

    void setMapFilePath(const std::string& path) { mapFilePath_ = path; }
    const std::string& mapFilePath() const { return mapFilePath_; }

    // Resizes MapBaseBitmap and MapWorkBitmap (the image area's client size).
    void resize(int width, int height);

    // MapPassMode: globe while a pass is received.
    void setPassMode(bool on) { passMode_ = on; }
    bool passMode() const { return passMode_; }
    bool lastDrawnMapMode() const { return lastDrawnMapMode_; }
    // The present UT, for the night side of the flat map ([Map] Terminator).
    void setUtcNow(std::optional<UtcInstant> now) { utcNow_ = now; }

    void SetUpProjection();
    void DrawBaseMap();
    // Composes the view. Returns true when MapWorkBitmap holds a new flat map
    // to show (tracks could be computed) or, in globe mode, MapInset was rebuilt.
    bool RedrawMap(MapTrackSource& tracks);

    const MapProjection& projection() const { return projection_; }
    const QImage& baseBitmap() const { return base_; }
    const QImage& workBitmap() const { return work_; }
    const QImage& inset() const { return inset_; }

private:
    void drawBackground(QPainter& painter);
    void drawPolygons(QPainter& painter, bool shifted);
    void drawGrid(QPainter& painter);
    void drawGridLabels(QPainter& painter);

    const AppSettings& settings_;
    std::string mapFilePath_;
    MapProjection projection_;
    bool passMode_ = false;
    bool lastDrawnMapMode_ = false;
    std::optional<UtcInstant> utcNow_;
    QImage base_;   // MapBaseBitmap
    QImage work_;   // MapWorkBitmap
    QImage inset_;  // MapInset
};

}  // namespace sorae
