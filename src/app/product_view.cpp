#include "app/product_view.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QStandardItemModel>

#include "app/status_panels.h"
#include "calibration/pass_products.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/picture_image.h"

namespace sorae {
namespace {

struct Entry {
    const char* caption;
    std::optional<ProductKind> kind;
};
const Entry kEntries[] = {
    {"受信画像", std::nullopt},
    {"温度カラー", ProductKind::Thermal},
    {"雲頂強調", ProductKind::CloudTop},
    {"フォールスカラー", ProductKind::FalseColour},
    {"地図カラー", ProductKind::MapColour},
};

}  // namespace

ProductView::ProductView(StatusPanels& status, ImageDisplay& display, QObject* parent)
    : QObject(parent), display_(display) {
    setObjectName(QStringLiteral("ProductView"));
    choice_ = new QComboBox(&status);
    choice_->setObjectName(QStringLiteral("ProductChoice"));
    for (const Entry& e : kEntries) choice_->addItem(QString::fromUtf8(e.caption));
    enableEntries();
    value_ = new QLabel(&status);
    value_->setObjectName(QStringLiteral("PointerValue"));
    value_->setMinimumWidth(140);
    status.addPermanentWidget(choice_);
    status.addPermanentWidget(value_);
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] { showChosen(); });
    connect(&display_, &ImageDisplay::pointerMoved, this, &ProductView::pointerMoved);
}

void ProductView::setPass(std::shared_ptr<const PassCalibration> calibration, const QImage& pictureA,
                          const QImage& pictureB) {
    calibration_ = std::move(calibration);
    received_[0] = pictureA;
    received_[1] = pictureB;
    {
        const QSignalBlocker quiet(choice_);
        choice_->setCurrentIndex(0);
    }
    landMask_.reset();
    enableEntries();
}

void ProductView::setLandMask(std::optional<std::vector<std::uint8_t>> landMask) {
    landMask_ = std::move(landMask);
    if (!mapColourReady() && chosen() == ProductKind::MapColour) choice_->setCurrentIndex(0);
    enableEntries();
}

void ProductView::enableEntries() {
    choice_->setEnabled(calibration_ && InfraredChannel(*calibration_).has_value());
    // the map-coloured picture only for a placed pass
    if (auto* model = qobject_cast<QStandardItemModel*>(choice_->model()))
        for (int i = 0; i < int(std::size(kEntries)); ++i)
            if (kEntries[i].kind == ProductKind::MapColour) model->item(i)->setEnabled(mapColourReady());
}

void ProductView::clear() {
    calibration_.reset();
    landMask_.reset();
    received_[0] = received_[1] = QImage();
    const QSignalBlocker quiet(choice_);
    choice_->setCurrentIndex(0);
    enableEntries();
    value_->clear();
}

std::optional<ProductKind> ProductView::chosen() const {
    const int i = choice_->currentIndex();
    return i >= 0 && i < int(std::size(kEntries)) ? kEntries[i].kind : std::nullopt;
}

void ProductView::choose(std::optional<ProductKind> product) {
    for (int i = 0; i < int(std::size(kEntries)); ++i)
        if (kEntries[i].kind == product) choice_->setCurrentIndex(i);
}

QString ProductView::pointerText() const { return value_->text(); }

void ProductView::showChosen() {
    if (!calibration_) return;
    const PassCalibration& pass = *calibration_;
    const std::optional<int> ir = InfraredChannel(pass);
    if (!ir || received_[*ir].isNull()) return;
    QImage shown = received_[*ir];
    if (const std::optional<ProductKind> kind = chosen()) {
        const ChannelCalibration& c = pass.channel[std::size_t(*ir)];
        PictureBuffer product;
        switch (*kind) {
        case ProductKind::Thermal: product = ThermalPicture(c, pass.rows); break;
        case ProductKind::CloudTop: product = CloudTopPicture(c, pass.rows); break;
        case ProductKind::FalseColour: {
            const std::optional<int> vis = VisibleChannel(pass);
            if (vis)
                product = FalseColourPicture(pass.channel[std::size_t(*vis)],
                                             pass.channel[std::size_t(*vis)].grey, c, pass.rows);
            break;
        }
        case ProductKind::MapColour:
            if (mapColourReady()) product = MapColourPicture(c, *landMask_, pass.rows);
            break;
        default: break;
        }
        if (!product.empty()) {
            shown = shown.convertToFormat(QImage::Format_RGB32);
            QPainter p(&shown);
            p.drawImage(ImageAreaLeft(pass.direction), 0, PictureToImage(product));
        }
    }
    display_.setPicture(*ir, shown);
    display_.setShowChannelB(*ir == 1);
    display_.showPictures();
}

void ProductView::pointerMoved(QPoint at) {
    if (at == ImageDisplay::kNoPicturePoint) {
        value_->clear();
        return;
    }
    const int channel = display_.showChannelB() ? 1 : 0;
    const QImage& picture = display_.picture(channel);
    const int grey = picture.valid(at) ? qGreen(picture.pixel(at)) : 0;
    value_->setText(QString::fromStdString(PointerValueText(
        calibration_.get(), channel, calibration_ ? calibration_->direction : 0, at.x(), at.y(), grey)));
}

}  // namespace sorae
