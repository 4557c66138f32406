// Text drawn the way picture captions are: nine times in black around the
// position, then once in white on it, with a transparent background, so it
// stays readable on any part of a picture. Fonts are asked for by name and
// fall back to an installed Japanese-capable font when the name is absent.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

namespace sorae {

// The family actually used for a requested one: the family itself when
// installed, else the first installed of IPAGothic, IPAPGothic, Noto Sans
// CJK JP, DejaVu Sans.
QString ResolveFontFamily(const QString& wanted);

// A font of the given size in points at 96 dots per inch (pixel size fixed,
// so the picture looks the same whatever the screen).
QFont TextFont(const QString& family, int points);

// Draws text with its top left corner at position.
void DrawOutlinedText(QImage& image, QPoint position, const QString& text, const QFont& font);

}  // namespace sorae
