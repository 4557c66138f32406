#include "map/map_file_reader.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace sorae {

double ParseMapNumber(std::string_view field) {
    double value = 0.0;
    double scale = 0.1;
    bool fraction = false;
    bool negative = false;
    for (const char ch : field) {
        if (ch == '.') {
            fraction = true;
        } else if (ch == '-') {
            negative = true;
        } else {
            const int digit = static_cast<unsigned char>(ch) - '0';
            if (fraction) {
                value = value + digit * scale;
                scale = scale * 0.1;
            } else {
                value = value * 10.0 + digit;
            }
        }
    }
    return negative ? -value : value;
}

namespace {

bool IsPointStart(char c) {
    return c == '-' || c == '.' || c == '/' || (c >= '0' && c <= '9');
}

std::string_view CutField(std::string_view field) {
    return field.size() > kMapFieldMax ? field.substr(0, kMapFieldMax) : field;
}

}  // namespace

MapLine ClassifyMapPiece(std::string_view piece, bool hasLineEnd, double& lastLongitude) {
    MapLine out;
    if (piece.size() >= 4) {
        const std::string_view head = piece.substr(0, 4);
        if (head == "PLGN") {
            out.kind = MapLineKind::PolygonHeader;
            out.polygonType = (piece.size() >= 6 && piece[4] == '=') ? piece[5] : '-';
            return out;
        }
        if (head == "LINE") {
            out.kind = MapLineKind::PolylineHeader;
            return out;
        }
        if (head == "TERM") {
            out.kind = MapLineKind::End;
            return out;
        }
    }
    if (piece.empty() || !IsPointStart(piece[0]) || !hasLineEnd) return out;

    std::string_view body = piece;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    const std::size_t tab = body.find('\t');
    double longitude = lastLongitude;
    std::string_view latField = body;
    if (tab != std::string_view::npos) {
        longitude = ParseMapNumber(CutField(body.substr(0, tab)));
        latField = body.substr(tab + 1);
    }
    out.kind = MapLineKind::Point;
    out.longitude = longitude;
    out.latitude = ParseMapNumber(CutField(latField));
    lastLongitude = longitude;
    return out;
}

std::string MapFileProblem(const std::string& path) {
    // The file's own name: the text goes into a narrow status panel.
    const auto slash = path.find_last_of('/');
    const std::string named = "地図ファイル " + (slash == std::string::npos ? path : path.substr(slash + 1));
    if (path.empty()) return "地図ファイル AllWorld.map が見つかりません";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return named + "を開けません: " + std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return named + "は通常のファイルではありません";
    MapFileReader reader;
    if (!reader.open(path)) return named + "を開けません: " + std::strerror(errno);
    bool inBlock = false;
    MapLine line;
    while (reader.next(line)) {
        if (line.kind == MapLineKind::PolygonHeader || line.kind == MapLineKind::PolylineHeader) inBlock = true;
        if (line.kind == MapLineKind::Point && inBlock) return {};
    }
    return named + (st.st_size == 0 ? "は空です" : "に海岸線のデータがありません");
}

MapFileReader::~MapFileReader() { close(); }

bool MapFileReader::open(const std::string& path) {
    close();
    file_ = std::fopen(path.c_str(), "rb");
    lastLongitude_ = 0.0;
    ended_ = false;
    return file_ != nullptr;
}

void MapFileReader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool MapFileReader::next(MapLine& line) {
    if (!file_ || ended_) return false;
    char buffer[kMapPieceMax + 1];
    if (!std::fgets(buffer, sizeof buffer, file_)) return false;
    const std::size_t n = std::strlen(buffer);
    const std::string_view piece(buffer, n);
    const bool hasLineEnd = n > 0 && buffer[n - 1] == '\n';
    line = ClassifyMapPiece(piece, hasLineEnd, lastLongitude_);
    if (line.kind == MapLineKind::End) ended_ = true;
    return true;
}

}  // namespace sorae
