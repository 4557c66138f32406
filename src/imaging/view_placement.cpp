#include "imaging/view_placement.h"

#include <cmath>

namespace sorae {

double ViewPlacement::scaleX() const {
    const double s = stretch && areaWidth > 0 ? double(areaWidth) / kPictureWidth : 1.0;
    return mirrored ? -s : s;
}

double ViewPlacement::scaleY() const {
    const double s = stretch && viewHeight > 0 ? double(areaHeight) / viewHeight : 1.0;
    return rowStep < 0 ? -s : s;
}

double ViewPlacement::offsetX() const {
    // view column v = x (or 1040 - x mirrored); area = x0 + v, or v * scale stretched
    const double x0 = stretch ? 0.0 : double((areaWidth - kPictureWidth) / 2);
    return mirrored ? x0 + std::abs(scaleX()) * kPictureWidth : x0;
}

double ViewPlacement::offsetY() const {
    // view row v = row - firstRow (or firstRow + 1 - row running up)
    const double s = std::abs(scaleY());
    return rowStep < 0 ? s * (firstRow + 1.0) : -s * firstRow;
}

AreaCoordinates ViewPlacement::toArea(PictureCoordinates p) const {
    return {scaleX() * p.x + offsetX(), scaleY() * p.row + offsetY()};
}

std::optional<PictureCoordinates> ViewPlacement::toPicture(AreaCoordinates a) const {
    const PictureCoordinates p{(a.x - offsetX()) / scaleX(), (a.y - offsetY()) / scaleY()};
    if (!(p.x >= 0.0 && p.x < kPictureWidth && p.row >= 0.0 && p.row < pictureRows)) return std::nullopt;
    // Rows beyond the view are not on screen.
    const double viewRow = rowStep < 0 ? firstRow + 1.0 - p.row : p.row - firstRow;
    if (!(viewRow >= 0.0 && viewRow < viewHeight)) return std::nullopt;
    return p;
}

ViewPlacement PlacementOfPictures(int areaWidth, int areaHeight, bool stretch, int viewHeight,
                                  int pictureHeight, int scrollOffset) {
    ViewPlacement p;
    p.areaWidth = areaWidth;
    p.areaHeight = areaHeight;
    p.stretch = stretch;
    p.viewHeight = viewHeight;
    p.pictureRows = pictureHeight;
    if (pictureHeight - viewHeight >= 1) {
        p.firstRow = scrollOffset < 0 ? 0 : (scrollOffset > pictureHeight - viewHeight ? pictureHeight - viewHeight
                                                                                       : scrollOffset);
    } else {
        p.firstRow = -(viewHeight / 2 - pictureHeight / 2);
    }
    return p;
}

ViewPlacement PlacementOfLiveView(int areaWidth, int areaHeight, bool stretch, int viewHeight,
                                  int linesDrawn, int direction) {
    ViewPlacement p;
    p.areaWidth = areaWidth;
    p.areaHeight = areaHeight;
    p.stretch = stretch;
    p.viewHeight = viewHeight;
    p.pictureRows = linesDrawn;
    if (direction == 0) {
        p.firstRow = linesDrawn - viewHeight;
    } else {
        p.firstRow = linesDrawn - 1;
        p.rowStep = -1;
        p.mirrored = true;
    }
    return p;
}

}  // namespace sorae
