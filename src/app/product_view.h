// The product shown in the image area and the value under the pointer: a
// choice in the status bar between the received pictures and the colour
// products of the last pass (drawn over the infrared channel's image area),
// and a status-bar field with the temperature, albedo or grey level of the
// picture pixel under the mouse pointer. The map-coloured picture is offered
// once the pass is placed on Earth and its land mask handed in.
#pragma once

#include <QImage>
#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "calibration/colour_products.h"
#include "calibration/pass_calibration.h"

class QComboBox;
class QLabel;

namespace sorae {

class ImageDisplay;
class StatusPanels;

class ProductView : public QObject {
    Q_OBJECT
public:
    ProductView(StatusPanels& status, ImageDisplay& display, QObject* parent);

    // The pictures of a finished pass and their calibration (the choice goes
    // back to the received pictures).
    void setPass(std::shared_ptr<const PassCalibration> calibration, const QImage& pictureA,
                 const QImage& pictureB);
    // Nothing to show values of (a new pass, pictures loaded from files).
    void clear();
    // The land under the pass (909 x rows, 1 land, in the pictures'
    // geometry) once it is placed; nothing takes the map-coloured picture
    // off the choice again.
    void setLandMask(std::optional<std::vector<std::uint8_t>> landMask);

    // The product chosen: nothing for the received pictures.
    std::optional<ProductKind> chosen() const;
    void choose(std::optional<ProductKind> product);
    QString pointerText() const;

private:
    void showChosen();
    void enableEntries();
    // a land mask that fits the pass's image area
    bool mapColourReady() const {
        return calibration_ && landMask_ && landMask_->size() == std::size_t(calibration_->rows) * kImageWords;
    }
    void pointerMoved(QPoint picturePoint);

    ImageDisplay& display_;
    QComboBox* choice_;
    QLabel* value_;
    std::shared_ptr<const PassCalibration> calibration_;
    std::optional<std::vector<std::uint8_t>> landMask_;
    QImage received_[2];
};

}  // namespace sorae
