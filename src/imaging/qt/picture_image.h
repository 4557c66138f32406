// Conversions between the engine's 24-bit pictures and QImage, and the
// Qt side of the picture work: the title drawer for pass pictures and the
// loader of saved picture files.
#pragma once

#include <QImage>
#include <QString>

#include "imaging/pass_pictures.h"
#include "imaging/picture_buffer.h"

namespace sorae {

// A copy of the picture as a 32-bit RGB image (what the display works on).
QImage PictureToImage(const PictureBuffer& picture);
// Back to 24-bit rows of blue, green, red.
PictureBuffer ImageToPicture(const QImage& image);

// Draws the satellite name (24 points at 24,24) and the title line
// (16 points at 24,61) as white text outlined in black.
void DrawPassTitle(QImage& image, const QString& satelliteName, const QString& titleLine);
// The same as a TitleDrawer for BuildPassPictures.
TitleDrawer MakeTitleDrawer();

class ImageDisplay;

// Shows the outcome of picture building: with nothing synchronised, the
// shown channel's live view again (unless the orbit view is up); else the
// new pictures from their top.
void ShowBuiltPictures(ImageDisplay& display, const PassPictureResult& result);

struct LoadedPicture {
    bool ok = false;
    QImage image;
    QString error;
};
// Decodes a saved JPEG and writes its full path onto the top left corner
// (10 points, outlined).
LoadedPicture LoadPictureFile(const QString& path);

}  // namespace sorae
