#include "imaging/qt/image_display.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "imaging/picture_buffer.h"

namespace sorae {

ImageDisplay::ImageDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName("Image2");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);   // the value under the pointer
    updateGeometryState();
    resizeViews();
}

void ImageDisplay::updateGeometryState() {
    const int w = std::max(1, width());
    const int h = std::max(0, height());
    scale_ = double(w) / kPictureWidth;
    viewHeight_ = stretch_ ? int(double(h) * kPictureWidth / w) : h;
}

void ImageDisplay::resizeViews() {
    for (View* view : {&viewA_, &viewB_}) {
        view->ring = 0;
        if (viewHeight_ <= 0) {
            view->image = QImage();
            continue;
        }
        view->image = QImage(kPictureWidth, viewHeight_, QImage::Format_RGB32);
        view->image.fill(Qt::black);
    }
}

void ImageDisplay::resetForNewPass() {
    for (QImage* picture : {&pictureA_, &pictureB_}) {
        *picture = QImage(kPictureWidth, std::max(1, height()), QImage::Format_RGB32);
        picture->fill(Qt::black);
    }
    pictureHeight_ = 0;
    scrollOffset_ = 0;
    sensorA_ = sensorB_ = "Senser Type";
    for (View* view : {&viewA_, &viewB_}) {
        view->ring = 0;
        if (!view->image.isNull()) view->image.fill(Qt::black);
    }
    if (!orbitViewShown_) composeScreen();
}

void ImageDisplay::setPicture(int channel, const QImage& picture) {
    QImage converted = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    (channel == 0 ? pictureA_ : pictureB_) = converted;
}

void ImageDisplay::showPictures() {
    pictureHeight_ = pictureA_.height() > 0 ? pictureA_.height() : pictureB_.height();
    scrollOffset_ = 0;
    redrawViews();
}

void ImageDisplay::setPictures(const QImage& a, const QImage& b) {
    setPicture(0, a);
    setPicture(1, b);
    showPictures();
}

void ImageDisplay::drawLine(View& view, const double* values, int direction) {
    const int h = view.image.height();
    if (h <= 0 || !values) return;
    int row;
    if (direction == 0) {
        view.ring = (view.ring + 1) % h;  // old top row becomes the new bottom row
        row = (view.ring + h - 1) % h;
    } else {
        view.ring = (view.ring + h - 1) % h;  // new top row
        row = view.ring;
    }
    auto* bits = view.image.scanLine(row);
    auto* pixels = reinterpret_cast<QRgb*>(bits);
    for (int w = 0; w < kPictureWidth; ++w) {
        const ColourValue c = LevelToGrey(values[w]);
        const QRgb rgb = qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
        pixels[direction == 0 ? w : kPictureWidth - 1 - w] = rgb;
    }
}

void ImageDisplay::appendLiveLine(const double* lineA, const double* lineB, int direction) {
    drawLiveLine(lineA, lineB, direction);
    composeScreen();
}

void ImageDisplay::drawLiveLine(const double* lineA, const double* lineB, int direction) {
    drawLine(viewA_, lineA, direction);
    drawLine(viewB_, lineB, direction);
}

void ImageDisplay::composeScreen() { composeScreen(showChannelB_ ? 1 : 0); }

void ImageDisplay::composeScreen(int channel) {
    if (screen_.size() != size()) {
        if (width() <= 0 || height() <= 0) return;
        screen_ = QImage(size(), QImage::Format_RGB32);
    }
    const int w = screen_.width();
    const int h = screen_.height();
    const View& view = channel == 0 ? viewA_ : viewB_;
    QPainter painter(&screen_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!stretch_) painter.fillRect(screen_.rect(), Qt::black);
    const int v = view.image.height();
    if (v > 0) {
        const int top = v - view.ring;  // display rows 0..top-1 come from image rows ring..v-1
        if (stretch_) {
            const int split = int(qint64(top) * h / v);
            painter.drawImage(QRect(0, 0, w, split), view.image,
                              QRect(0, view.ring, kPictureWidth, top));
            if (view.ring > 0)
                painter.drawImage(QRect(0, split, w, h - split), view.image,
                                  QRect(0, 0, kPictureWidth, view.ring));
        } else {
            const int x0 = (w - kPictureWidth) / 2;
            painter.drawImage(QPoint(x0, 0), view.image, QRect(0, view.ring, kPictureWidth, top));
            if (view.ring > 0)
                painter.drawImage(QPoint(x0, top), view.image,
                                  QRect(0, 0, kPictureWidth, view.ring));
        }
    } else if (stretch_) {
        painter.fillRect(screen_.rect(), Qt::black);
    }
    if (insetPassLayout_ && orbitViewShown_ && !inset_.isNull()) {
        const QRect target = passDirection_ == 0 ? QRect(w - 320, 20, 300, 300)
                                                 : QRect(w - 320, h - 320, 300, 300);
        painter.drawImage(target, inset_);
    }
    painter.end();
    update();
}

void ImageDisplay::redrawViews() {
    const int v = viewHeight_;
    const int p = pictureHeight_;
    scrollOffset_ = std::max(0, scrollOffset_);
    if (p - v >= 1)
        scrollOffset_ = std::min(scrollOffset_, p - v);
    else
        scrollOffset_ = 0;
    for (int channel = 0; channel < 2; ++channel) {
        View& view = channel == 0 ? viewA_ : viewB_;
        const QImage& picture = channel == 0 ? pictureA_ : pictureB_;
        view.ring = 0;
        if (view.image.isNull()) continue;
        QPainter painter(&view.image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (p - v >= 1) {
            painter.fillRect(view.image.rect(), Qt::black);
            if (!picture.isNull())
                painter.drawImage(QPoint(0, 0), picture,
                                  QRect(0, scrollOffset_, kPictureWidth, v));
        } else {
            painter.fillRect(view.image.rect(), Qt::black);
            const int y0 = v / 2 - p / 2;
            if (!picture.isNull() && p > 0)
                painter.drawImage(QPoint(0, y0), picture,
                                  QRect(0, 0, std::min(picture.width(), kPictureWidth), p));
        }
    }
    if (!orbitViewShown_) composeScreen();
}

void ImageDisplay::setShowChannelB(bool showB) { showChannelB_ = showB; }

void ImageDisplay::toggleChannel() {
    showChannelB_ = !showChannelB_;
    composeScreen();
    emit channelShown(showChannelB_);
}

void ImageDisplay::setSensorNames(const QString& sensorA, const QString& sensorB) {
    sensorA_ = sensorA;
    sensorB_ = sensorB;
}

void ImageDisplay::setStretch(bool on) {
    stretch_ = on;
    updateGeometryState();
    resizeViews();
    redrawViews();
}

void ImageDisplay::setOrbitViewShown(bool shown) {
    orbitViewShown_ = shown;
    if (!shown && !receptionActive_) redrawViews();
}

void ImageDisplay::setOrbitViewImage(const QImage& map) {
    if (map.isNull()) return;
    screen_ = map.convertToFormat(QImage::Format_RGB32);
    update();
}

void ImageDisplay::setMapInset(const QImage& inset, bool passLayout) {
    inset_ = inset;
    insetPassLayout_ = passLayout;
}

QImage ImageDisplay::viewImage(int channel) const {
    const View& view = channel == 0 ? viewA_ : viewB_;
    if (view.image.isNull() || view.ring == 0) return view.image.copy();
    QImage ordered(view.image.size(), view.image.format());
    QPainter painter(&ordered);
    const int top = view.image.height() - view.ring;
    painter.drawImage(QPoint(0, 0), view.image, QRect(0, view.ring, kPictureWidth, top));
    painter.drawImage(QPoint(0, top), view.image, QRect(0, 0, kPictureWidth, view.ring));
    return ordered;
}

void ImageDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (screen_.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(QPoint(0, 0), screen_);
}

void ImageDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateGeometryState();
    resizeViews();
    screen_ = QImage(size(), QImage::Format_RGB32);
    screen_.fill(Qt::black);
    emit areaResized(size());
    if (!orbitViewShown_) redrawViews();
}

void ImageDisplay::scrollBy(int rows) {
    scrollOffset_ += rows;
    redrawViews();
}

void ImageDisplay::wheelEvent(QWheelEvent* event) {
    event->accept();  // the default wheel handling never runs
    const int delta = event->angleDelta().y();
    if (receptionActive_ || delta == 0) return;  // horizontal wheels do not scroll
    // one notch is 120; finer wheels and touchpads add up to whole notches
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / 120;
    if (notches == 0) return;
    wheelRemainder_ -= notches * 120;
    scrollBy(-notches * int(50.0 / scale_));
}

void ImageDisplay::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragStart_ = int(event->position().y());
    event->accept();
}

void ImageDisplay::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (orbitViewShown_ && !receptionActive_) return;
    if (event->button() == Qt::RightButton) {
        toggleChannel();
    } else if (event->button() == Qt::LeftButton && !receptionActive_) {
        scrollBy(int((dragStart_ - int(event->position().y())) / scale_));
    }
}

QPoint ImageDisplay::picturePointAt(QPointF areaPoint) const {
    if (receptionActive_ || orbitViewShown_ || pictureHeight_ <= 0 || width() <= 0 || height() <= 0)
        return kNoPicturePoint;
    double x = areaPoint.x(), y = areaPoint.y();
    if (stretch_) {
        x = x * kPictureWidth / width();
        y = y * viewHeight_ / height();
    } else {
        x -= (width() - kPictureWidth) / 2;
    }
    const int column = int(std::floor(x));
    const int row = scrollOffset_ + int(std::floor(y));
    if (column < 0 || column >= kPictureWidth || y < 0 || row >= pictureHeight_) return kNoPicturePoint;
    return QPoint(column, row);
}

void ImageDisplay::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    emit pointerMoved(picturePointAt(event->position()));
}

void ImageDisplay::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit pointerMoved(kNoPicturePoint);
}

}  // namespace sorae
