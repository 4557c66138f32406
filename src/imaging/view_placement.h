// Where the pixels of a channel picture appear in the main image area, and
// which picture pixel lies under a point of the area: the same arithmetic
// the display uses to compose its screen (one area pixel per picture column
// centred, or the view stretched over the whole area), for the finished
// pictures at their scroll offset and for the live view, whose rows scroll
// as lines arrive. Coordinates are continuous: picture pixel (x, row)
// covers [x, x+1) x [row, row+1); x runs over the 1040 columns of a line as
// the picture holds them.
#pragma once

#include <optional>

namespace sorae {

struct PictureCoordinates {
    double x = 0.0;
    double row = 0.0;
};

struct AreaCoordinates {
    double x = 0.0;
    double y = 0.0;
};

struct ViewPlacement {
    static constexpr int kPictureWidth = 1040;

    int areaWidth = 0;
    int areaHeight = 0;
    bool stretch = false;
    int viewHeight = 0;      // rows of the view
    double firstRow = 0.0;   // picture row on view row 0
    int rowStep = 1;         // +1: picture rows run down the view; -1: up
    bool mirrored = false;   // picture columns run right to left
    int pictureRows = 0;     // rows the picture holds (the area outside them is black)

    // An affine map: area = scale * picture + offset, per axis.
    double scaleX() const;
    double scaleY() const;
    double offsetX() const;
    double offsetY() const;

    AreaCoordinates toArea(PictureCoordinates p) const;
    // Nothing for a point outside the picture's columns or rows.
    std::optional<PictureCoordinates> toPicture(AreaCoordinates a) const;
};

// The finished (or loaded) pictures as RedrawViews lays them out: from the
// scroll offset when taller than the view, else centred vertically.
ViewPlacement PlacementOfPictures(int areaWidth, int areaHeight, bool stretch, int viewHeight,
                                  int pictureHeight, int scrollOffset);

// The live view after linesDrawn lines: north to south (direction 0) new
// lines enter at the bottom; south to north (1) they enter at the top,
// turned, so rows run up and columns right to left. Picture rows are the
// lines in the order received.
ViewPlacement PlacementOfLiveView(int areaWidth, int areaHeight, bool stretch, int viewHeight,
                                  int linesDrawn, int direction);

}  // namespace sorae
