// A small panel showing one settings colour; a click asks for a new one.
#pragma once

#include <QLabel>
#include <QMouseEvent>

#include "settings/app_settings.h"

namespace sorae {

inline QColor toQColor(ColourValue v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}
inline ColourValue fromQColor(const QColor& c) {
    return ColourValue(c.red()) | (ColourValue(c.green()) << 8) | (ColourValue(c.blue()) << 16);
}

class ColourPanel : public QLabel {
    Q_OBJECT
public:
    explicit ColourPanel(QWidget* parent = nullptr) : QLabel(parent) {
        setAutoFillBackground(true);
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setMinimumSize(40, 20);
    }
    void setColour(ColourValue v) {
        QPalette p = palette();
        p.setColor(QPalette::Window, toQColor(v));
        setPalette(p);
    }
    QColor colour() const { return palette().color(QPalette::Window); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) emit clicked();
    }
};

}  // namespace sorae
