#include "app/overlay_controller.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "app/main_window.h"
#include "app/status_panels.h"
#include "geo/position_text.h"
#include "geo/world_outline.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/picture_overlay_painter.h"

namespace sorae {

struct OverlayController::Geometry {
    PictureGeoreference georeference;
    mutable std::optional<OverlayDrawing> drawing;  // traced on first use
};

// A see-through widget over the image area that draws the overlay on top
// of whatever the display composed.
class OverlayLayer : public QWidget {
public:
    OverlayLayer(OverlayController& controller, QWidget* parent) : QWidget(parent), controller_(controller) {
        setObjectName(QStringLiteral("MapOverlayLayer"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!controller_.overlayShown()) return;
        const OverlayDrawing* drawing = controller_.currentDrawing();
        if (!drawing || drawing->empty()) return;
        const ViewPlacement placement = controller_.currentPlacement();
        const QTransform toArea(placement.scaleX(), 0, 0, placement.scaleY(), placement.offsetX(),
                                placement.offsetY());
        // The picture rows the view shows, a row more on each side.
        const double top = placement.rowStep > 0 ? placement.firstRow : placement.firstRow + 1 - placement.viewHeight;
        const QRectF visible(0, top - 1, ViewPlacement::kPictureWidth, placement.viewHeight + 2);
        QPainter painter(this);
        drawing->paint(painter, toArea, visible);
    }

private:
    OverlayController& controller_;
};

OverlayController::OverlayController(MainWindow& window, ImageDisplay& display, std::string worldMapFile)
    : QObject(&display), window_(window), display_(display), worldMapFile_(std::move(worldMapFile)) {
    if (auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("ToolBar1"))) {
        button_ = new QToolButton(toolbar);
        button_->setObjectName(QStringLiteral("SpeedButton14"));
        // What the row of 80-pixel buttons leaves at the designed width.
        button_->setText(QStringLiteral("地図"));
        button_->setToolTip(QStringLiteral("地図を重ねる"));
        button_->setCheckable(true);
        button_->setFixedSize(44, 22);
        button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button_->setChecked(window.settings().mapOverlay);
        toolbar->addWidget(button_);
        connect(button_, &QToolButton::toggled, this, [this] { layer_->update(); });
    }
    layer_ = new OverlayLayer(*this, &display);
    layer_->setGeometry(display.rect());
    layer_->show();
    display.setMouseTracking(true);
    display.installEventFilter(this);
}

OverlayController::~OverlayController() = default;

bool OverlayController::overlayShown() const {
    return button_ && button_->isChecked() && !display_.orbitViewShown();
}

const OverlayController::Geometry* OverlayController::activeGeometry() const {
    if (display_.orbitViewShown()) return nullptr;
    if (display_.receptionActive()) return live_ && linesDrawn_ ? live_.get() : nullptr;
    return picture_.get();
}

ViewPlacement OverlayController::currentPlacement(bool* live) const {
    const bool isLive = display_.receptionActive();
    if (live) *live = isLive;
    if (isLive)
        return PlacementOfLiveView(display_.width(), display_.height(), display_.stretch(), display_.viewHeight(),
                                   linesDrawn_ ? linesDrawn_() : 0, liveDirection_);
    return PlacementOfPictures(display_.width(), display_.height(), display_.stretch(), display_.viewHeight(),
                               display_.pictureHeight(), display_.scrollOffset());
}

void OverlayController::traceIfNeeded(const Geometry& g) const {
    if (g.drawing) return;
    if (!outline_) {
        const auto outline = LoadWorldOutline(worldMapFile_);
        outline_ = outline ? OutlineTraceLines(*outline) : std::vector<OutlineTraceLine>{};
    }
    OverlayOptions options;
    options.rows = g.georeference.rows;
    const SwathFootprint footprint =
        SwathFootprint::fromPicture(g.georeference.groundPoint, options.columns, options.rows);
    const PictureOverlay overlay = BuildPictureOverlay(*outline_, g.georeference.picturePoint, footprint, options);
    g.drawing = OverlayDrawing(overlay, ImageAreaFirstColumn(g.georeference.turned));
}

const OverlayDrawing* OverlayController::currentDrawing() const {
    const Geometry* g = activeGeometry();
    if (!g) return nullptr;
    traceIfNeeded(*g);
    return &*g->drawing;
}

void OverlayController::setPictureGeoreference(std::optional<PictureGeoreference> georeference) {
    picture_.reset();
    if (georeference && georeference->picturePoint && georeference->groundPoint)
        picture_ = std::make_unique<Geometry>(Geometry{std::move(*georeference), std::nullopt});
    layer_->update();
}

void OverlayController::setLiveGeoreference(std::optional<PictureGeoreference> georeference,
                                            std::function<int()> linesDrawn, int direction) {
    live_.reset();
    if (georeference && georeference->picturePoint && georeference->groundPoint)
        live_ = std::make_unique<Geometry>(Geometry{std::move(*georeference), std::nullopt});
    linesDrawn_ = std::move(linesDrawn);
    liveDirection_ = direction;
    layer_->update();
}

QString OverlayController::positionTextAt(QPointF areaPoint) const {
    const Geometry* g = activeGeometry();
    if (!g) return {};
    const auto p = currentPlacement().toPicture({areaPoint.x(), areaPoint.y()});
    if (!p) return {};
    // Picture pixel coordinates to the geometry's word and row centres.
    const PicturePoint point{p->x - ImageAreaFirstColumn(g->georeference.turned) - 0.5, p->row - 0.5};
    if (point.column < -0.5 || point.column > kImageWords - 0.5) return {};
    const auto ground = g->georeference.groundPoint(point);
    return ground ? QString::fromStdString(PositionText(*ground)) : QString();
}

void OverlayController::showPosition(const QString& text) {
    StatusPanels& panels = window_.statusPanels();
    if (text.isEmpty()) {
        // Give panel 0 back what it showed, unless someone has written it since.
        if (!shownPosition_.isEmpty() && panels.panelText(0) == shownPosition_) panels.setPanelText(0, panelBeforeUs_);
        shownPosition_.clear();
        return;
    }
    if (shownPosition_.isEmpty() || panels.panelText(0) != shownPosition_) panelBeforeUs_ = panels.panelText(0);
    shownPosition_ = text;
    panels.setPanelText(0, text);
}

bool OverlayController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &display_) {
        switch (event->type()) {
        case QEvent::Resize:
            layer_->setGeometry(display_.rect());
            break;
        case QEvent::MouseMove:
            showPosition(positionTextAt(static_cast<QMouseEvent*>(event)->position()));
            break;
        case QEvent::Leave:
            showPosition(QString());
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace sorae
