// The map overlay in the main window: a toolbar toggle (SpeedButton14,
// "地図") that draws coastlines, borders and the grid over the shown
// picture or the live view when their place on Earth is known, and the
// latitude and longitude under the mouse pointer in status panel 0. The
// geometry is handed in as a pair of projections; the overlay is traced
// once per geometry and only drawn again as the view scrolls.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geo/picture_overlay.h"
#include "imaging/view_placement.h"

class QToolButton;
class QWidget;

namespace sorae {

class ImageDisplay;
class MainWindow;
class OverlayDrawing;
class OverlayLayer;

// Where a picture lies on Earth. Rows are the rows of the saved picture, or
// for the live view the lines in the order received.
struct PictureGeoreference {
    GroundToPicture picturePoint;
    PictureToGround groundPoint;
    int rows = 0;
    bool turned = false;  // the picture is turned through 180 degrees
};

class OverlayController : public QObject {
    Q_OBJECT
public:
    // worldMapFile: the outline the overlay is traced from (read when first needed).
    OverlayController(MainWindow& window, ImageDisplay& display, std::string worldMapFile);
    ~OverlayController() override;

    // The shown pictures' place on Earth; nothing when unknown.
    void setPictureGeoreference(std::optional<PictureGeoreference> georeference);
    // The live pass's, rows being received lines; linesDrawn tells how many
    // lines the live view holds, direction how they are drawn (1 = S>N).
    void setLiveGeoreference(std::optional<PictureGeoreference> georeference,
                             std::function<int()> linesDrawn, int direction);

    QToolButton* button() const { return button_; }
    bool overlayShown() const;
    // The placement of what the image area shows now, and whether it is the live view.
    ViewPlacement currentPlacement(bool* live = nullptr) const;
    // Status text for a point of the image area: "" off a georeferenced picture.
    QString positionTextAt(QPointF areaPoint) const;
    // Traced lines of the shown (or live) geometry, traced on first use.
    const OverlayDrawing* currentDrawing() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Geometry;
    const Geometry* activeGeometry() const;
    void traceIfNeeded(const Geometry& geometry) const;
    void showPosition(const QString& text);

    MainWindow& window_;
    ImageDisplay& display_;
    std::string worldMapFile_;
    QToolButton* button_ = nullptr;
    OverlayLayer* layer_ = nullptr;
    std::unique_ptr<Geometry> picture_;
    std::unique_ptr<Geometry> live_;
    std::function<int()> linesDrawn_;
    int liveDirection_ = 0;
    mutable std::optional<std::vector<OutlineTraceLine>> outline_;
    QString shownPosition_;    // what panel 0 shows from us, "" when nothing
    QString panelBeforeUs_;    // what it showed before
};

}  // namespace sorae
