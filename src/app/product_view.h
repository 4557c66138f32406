// The product shown in the image area and the value under the pointer: a
// choice in the status bar between the received pictures and the colour
// products of the last pass (drawn over the infrared channel's image area),
// and a status-bar field with the temperature, albedo or grey level of the
// picture pixel under the mouse pointer.
#pragma once

#include <QImage>
#include <QObject>
#include <memory>
#include <optional>

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

    // The product chosen: nothing for the received pictures.
    std::optional<ProductKind> chosen() const;
    void choose(std::optional<ProductKind> product);
    QString pointerText() const;

private:
    void showChosen();
    void pointerMoved(QPoint picturePoint);

    ImageDisplay& display_;
    QComboBox* choice_;
    QLabel* value_;
    std::shared_ptr<const PassCalibration> calibration_;
    QImage received_[2];
};

}  // namespace sorae
