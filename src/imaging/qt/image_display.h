// The main image area (Image2): shows one APT channel, live while a pass is
// received or the finished and loaded pictures afterwards, or the orbit map.
// It holds the channel pictures (PictureA, PictureB), their views (ViewA,
// ViewB: what the area shows of each channel) and the composed screen, and
// handles wheel and drag scrolling, the channel toggle on a right-button
// release, the stretch mode and resizing.
//
// During a reception each new line scrolls the views by one row; the views
// are rings whose first row moves instead of copying every row.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace sorae {

class ImageDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 1040;

    explicit ImageDisplay(QWidget* parent = nullptr);

    // --- pictures ---
    // The picture part of the reset before a pass: both pictures black and
    // as high as the area, picture height and scroll offset 0, sensor names
    // unknown, views black, and the shown channel's view on screen unless
    // the orbit view is shown.
    void resetForNewPass();
    // Replaces one channel's picture (0 = A, 1 = B) without redrawing.
    void setPicture(int channel, const QImage& picture);
    // Shows the pictures from their top: the picture height becomes A's
    // (B's when A has none), the scroll offset 0, then the views are redrawn.
    void showPictures();
    void setPictures(const QImage& a, const QImage& b);
    const QImage& picture(int channel) const { return channel == 0 ? pictureA_ : pictureB_; }
    int pictureHeight() const { return pictureHeight_; }

    // --- reception ---
    // One decoded line (1040 raw stored values per channel) drawn into the
    // live views: direction 0 (N>S) adds it at the bottom, 1 (S>N) turned at
    // the top. The screen is composed with the shown channel.
    void appendLiveLine(const double* lineA, const double* lineB, int direction);
    // The same without composing the screen, for a caller that draws many
    // lines at once (a fast replay) and composes once after them.
    void drawLiveLine(const double* lineA, const double* lineB, int direction);
    // While set, wheel and drag scrolling do nothing.
    void setReceptionActive(bool active) { receptionActive_ = active; }
    bool receptionActive() const { return receptionActive_; }
    // CurrentPassDirection: decides where the map inset goes.
    void setPassDirection(int direction) { passDirection_ = direction; }

    // --- composition ---
    void composeScreen();               // with the shown channel's view
    void composeScreen(int channel);
    void redrawViews();                 // pictures -> views at the scroll offset -> screen

    // --- channel ---
    bool showChannelB() const { return showChannelB_; }
    void setShowChannelB(bool showB);   // state only; composeScreen() shows it
    // What the right-button release does: invert, compose, emit channelShown.
    void toggleChannel();
    void setSensorNames(const QString& sensorA, const QString& sensorB);
    QString channelCaption() const { return showChannelB_ ? "CH B" : "CH A"; }  // panel 4
    QString sensorCaption() const { return showChannelB_ ? sensorB_ : sensorA_; }  // panel 5

    // --- stretch and orbit view ---
    bool stretch() const { return stretch_; }
    void setStretch(bool on);          // the stretch button's click
    bool orbitViewShown() const { return orbitViewShown_; }
    // The orbit-view button: released outside a reception shows the pictures
    // again; released during one, the next line brings the live view back.
    void setOrbitViewShown(bool shown);
    // The map drawn for the whole area while the orbit view is shown.
    void setOrbitViewImage(const QImage& map);
    // The 300 x 300 map inset, pasted at the right edge when the map was last
    // drawn in its pass layout and the orbit view is shown.
    void setMapInset(const QImage& inset, bool passLayout);

    // --- geometry and state ---
    double scale() const { return scale_; }
    int viewHeight() const { return viewHeight_; }
    int scrollOffset() const { return scrollOffset_; }
    void setScrollOffset(int offset) { scrollOffset_ = offset; }
    QImage viewImage(int channel) const;  // the view in display order
    const QImage& screenImage() const { return screen_; }
    // The picture pixel shown at a point of the area; kNoPicturePoint when none is.
    static constexpr QPoint kNoPicturePoint{-1, -1};
    QPoint picturePointAt(QPointF areaPoint) const;

    QSize sizeHint() const override { return QSize(1040, 640); }

signals:
    // After a right-button toggle: panel 4 and 5 show channelCaption() and
    // sensorCaption().
    void channelShown(bool showChannelB);
    // After the views and the screen followed a new size; the map owner
    // redraws its bitmaps and, when the orbit view is shown, the orbit map.
    void areaResized(QSize size);
    // The pointer moved over the finished pictures: the picture pixel under
    // it (column 0..1039, picture row), or kNoPicturePoint when it is off
    // the pictures, over the live or orbit view, or left the area.
    void pointerMoved(QPoint picturePoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct View {
        QImage image;  // 1040 x view height
        int ring = 0;  // display row r is image row (ring + r) % height
    };
    void updateGeometryState();
    void resizeViews();
    void scrollBy(int rows);
    void drawLine(View& view, const double* values, int direction);

    QImage pictureA_;
    QImage pictureB_;
    View viewA_;
    View viewB_;
    QImage screen_;
    QImage inset_;
    bool insetPassLayout_ = false;

    bool showChannelB_ = false;
    bool stretch_ = false;
    bool orbitViewShown_ = false;
    bool receptionActive_ = false;
    int passDirection_ = 0;
    double scale_ = 1.0;
    int viewHeight_ = 0;
    int pictureHeight_ = 0;
    int scrollOffset_ = 0;
    int dragStart_ = 0;
    int wheelRemainder_ = 0;
    QString sensorA_ = "Senser Type";
    QString sensorB_ = "Senser Type";
};

}  // namespace sorae
