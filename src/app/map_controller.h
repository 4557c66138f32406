// The orbit view of the main window: the world map drawn by MapRenderer from
// AllWorld.map, shown in the image area while the orbit-view button
// (SpeedButton6) is down, the globe inset during a received pass, and the
// current-pass line in status panel 1. The pass table comes from whoever
// installs the pass source (the scheduler).
#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>

#include "map/qt/map_renderer.h"
#include "map/track_builder.h"

namespace sorae {

class MainWindow;
class PassReception;

class MapController : public QObject {
    Q_OBJECT
public:
    MapController(MainWindow& window, PassReception& reception, QObject* parent = nullptr);

    // The world outline file: the program folder's, else the one shipped
    // with the program (installed share folder, or the source tree's data
    // folder for a program run from its build folder). Empty when none.
    static std::string findWorldMapFile(const std::string& programFolderFile,
                                        const std::string& executableFolder);

    // Fills the pass fields of the track context: busy flag, satellite
    // count and slot 0 of the pass table.
    void setPassSource(std::function<void(MapTrackContext&)> source) { passSource_ = std::move(source); }
    // Puts the next-pass line back on panel 1 (the scheduler's).
    void setNextPassLineSource(std::function<void()> restore) { restoreNextPassLine_ = std::move(restore); }
    // Panel 1 shows `line`; an empty one ends a current-pass line shown there.
    void showPassLine(const std::string& line);
    // Redraws the orbit view when it is shown (its options changed).
    void refresh();
    // A reception or replay has ended.
    void passEnded() { showPassLine(std::string()); }

    // SetUpProjection + DrawBaseMap (start-up, resize, station change).
    void setUpAndDrawBaseMap();
    void drawBaseMap();
    // RedrawMap with MapPassMode; shows the flat map or the globe inset.
    void redraw(bool mapPassMode);
    // ShowPassPosition: the current-pass line in status panel 1; false when
    // the element file cannot give it (no file, no such satellite).
    bool showPassPosition(const std::string& satellite);
    // The highest elevation of the satellite over the station between two
    // station times, from the element file; nullopt when it cannot tell.
    std::optional<double> maximumElevation(const std::string& satellite, DayTime start, DayTime end) const;
    // CentreLongitude while the globe is in force, for the pass computation.
    std::optional<double> globeCentreLongitude() const;

    // A replayed pass is drawn at its own time: while set, the globe, the
    // tracks and the current-pass line are computed for this station time
    // and for the pass being received instead of the table's next one.
    void setReplayTime(std::optional<DayTime> stationTime) { replayTime_ = stationTime; }

    // A pass chosen in the pass list: its ground track from acquisition to
    // loss is drawn over the flat map until cleared (nullopt).
    void showSelectedPass(std::optional<SatelliteTrack> track);
    const std::optional<SatelliteTrack>& selectedPass() const { return selectedPass_.track; }

    MapRenderer& renderer() { return renderer_; }

private:
    // The element file's tracks with the chosen pass added on the flat map.
    struct WithSelectedPass : MapTrackSource {
        MapTrackSource* tracks = nullptr;
        std::optional<SatelliteTrack> track;
        std::optional<std::vector<SatelliteTrack>> groundTracks() override;
        std::optional<SatelliteTrack> passTrack() override { return tracks->passTrack(); }
    };

    MapTrackContext context();
    void orbitButtonToggled(bool down);
    void areaResized();

    MainWindow& window_;
    PassReception& reception_;
    MapRenderer renderer_;
    ElementFileTrackSource tracks_;
    WithSelectedPass selectedPass_;
    std::function<void(MapTrackContext&)> passSource_;
    std::function<void()> restoreNextPassLine_;
    std::optional<DayTime> replayTime_;
};

}  // namespace sorae
