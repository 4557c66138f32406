// Reader of the world outline file (AllWorld.map): polygon and polyline
// blocks of longitude/latitude points. The file is read in pieces of at most
// 127 characters, as a 128-byte line buffer would deliver it, and each piece
// is classified by its first four characters.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace sorae {

enum class MapLineKind {
    Ignored,         // free text, or a point line that gives no vertex
    PolygonHeader,   // "PLGN"; polygonType holds the type character
    PolylineHeader,  // "LINE"
    End,             // "TERM"
    Point,           // a vertex: latitude and longitude in degrees
};

struct MapLine {
    MapLineKind kind = MapLineKind::Ignored;
    char polygonType = '-';
    double latitude = 0.0;
    double longitude = 0.0;
};

// Longest field of a point line that is read; longer fields are cut.
inline constexpr std::size_t kMapFieldMax = 63;
// Longest piece of a line handed over at once (the buffer holds one more byte).
inline constexpr std::size_t kMapPieceMax = 127;

// A decimal number of the map file: digits, "." for the fraction, and "-"
// anywhere making it negative. Any other character counts as the digit
// (code - '0'), exactly as the file format has always been read.
double ParseMapNumber(std::string_view field);

// Classifies one piece of a line. hasLineEnd tells whether the piece ends
// the line (only then does a point line give a vertex). lastLongitude is the
// longitude of the previous point line; a point line without a TAB reuses it,
// and every point line that gives a vertex updates it.
MapLine ClassifyMapPiece(std::string_view piece, bool hasLineEnd, double& lastLongitude);

// Why the outline file at path cannot give a map ("" when it can): it is
// missing, no regular file, cannot be read, or holds no outline at all
// (empty, or no block with a vertex in it). The texts are the window's and
// name the file without its folder.
std::string MapFileProblem(const std::string& path);

class MapFileReader {
public:
    MapFileReader() = default;
    ~MapFileReader();
    MapFileReader(const MapFileReader&) = delete;
    MapFileReader& operator=(const MapFileReader&) = delete;

    bool open(const std::string& path);
    // The next line of the file; false at the end of the file. The end mark
    // is returned once, after which the reader reports the end.
    bool next(MapLine& line);
    void close();

private:
    std::FILE* file_ = nullptr;
    double lastLongitude_ = 0.0;
    bool ended_ = false;
};

}  // namespace sorae
