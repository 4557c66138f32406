#include "testsignal/picture_files.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include <cmath>
#include <cstring>

#include "testsignal/test_patterns.h"

namespace sorae::testsignal {

PictureLoad loadSourcePicture(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull())
        return {std::nullopt, path + ": cannot read picture (" + reader.errorString().toStdString() + ")"};
    image = image.convertToFormat(QImage::Format_Grayscale8);
    if (image.width() != kPictureColumns) {
        const int h = std::max(1, int(std::lround(double(image.height()) * kPictureColumns / image.width())));
        image = image.scaled(kPictureColumns, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    GreyPicture p(image.width(), image.height());
    for (int y = 0; y < p.height; ++y)
        std::memcpy(&p.pixels[std::size_t(y) * p.width], image.constScanLine(y), std::size_t(p.width));
    return {std::move(p), {}};
}

std::string saveGreyPng(const GreyPicture& picture, const std::string& path) {
    if (picture.empty()) return path + ": empty picture";
    QImage image(picture.width, picture.height, QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), &picture.pixels[std::size_t(y) * picture.width],
                    std::size_t(picture.width));
    if (!image.save(QString::fromStdString(path), "PNG")) return path + ": cannot write PNG";
    return {};
}

}  // namespace sorae::testsignal
