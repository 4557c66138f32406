#include "imaging/qt/picture_image.h"

#include <cstring>

#include "imaging/jpeg_file.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/outlined_text.h"

namespace sorae {

QImage PictureToImage(const PictureBuffer& picture) {
    if (picture.empty()) return QImage();
    const QImage wrapped(picture.bgr.data(), picture.width, picture.height, picture.stride(),
                         QImage::Format_BGR888);
    return wrapped.convertToFormat(QImage::Format_RGB32);
}

PictureBuffer ImageToPicture(const QImage& image) {
    PictureBuffer picture;
    if (image.isNull()) return picture;
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    picture.resize(bgr.width(), bgr.height());
    for (int y = 0; y < bgr.height(); ++y)
        std::memcpy(picture.row(y), bgr.constScanLine(y), std::size_t(picture.stride()));
    return picture;
}

void DrawPassTitle(QImage& image, const QString& satelliteName, const QString& titleLine) {
    DrawOutlinedText(image, QPoint(24, 24), satelliteName, TextFont("Gulim", 24));
    DrawOutlinedText(image, QPoint(24, 61), titleLine, TextFont("Gulim", 16));
}

TitleDrawer MakeTitleDrawer() {
    return [](PictureBuffer& picture, const std::string& satelliteName,
              const std::string& titleLine) {
        QImage image = PictureToImage(picture);
        if (image.isNull()) return;
        DrawPassTitle(image, QString::fromStdString(satelliteName),
                      QString::fromStdString(titleLine));
        picture = ImageToPicture(image);
    };
}

void ShowBuiltPictures(ImageDisplay& display, const PassPictureResult& result) {
    if (!result.built) {
        if (!display.orbitViewShown()) display.composeScreen();
        return;
    }
    display.setPictures(PictureToImage(result.pictureA), PictureToImage(result.pictureB));
}

LoadedPicture LoadPictureFile(const QString& path) {
    LoadedPicture loaded;
    const JpegReadResult read = LoadJpegPicture(path.toStdString());
    if (!read.ok) {
        loaded.error = QString::fromStdString(read.error);
        return loaded;
    }
    loaded.image = PictureToImage(read.picture);
    DrawOutlinedText(loaded.image, QPoint(10, 5), path, TextFont("MS Gothic", 10));
    loaded.ok = true;
    return loaded;
}

}  // namespace sorae
