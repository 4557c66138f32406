// Reading the world outline file: number syntax, line kinds, and lines that
// arrive in pieces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/map_file_reader.h"
#include "map_test_support.h"

namespace sorae {
namespace {

std::vector<MapLine> ReadAll(const std::string& name, const std::string& text) {
    MapFileReader reader;
    EXPECT_TRUE(reader.open(maptest::WriteTempFile(name, text)));
    std::vector<MapLine> lines;
    MapLine line;
    while (reader.next(line)) lines.push_back(line);
    return lines;
}

TEST(MapNumber, DigitsFractionAndMinusAnywhere) {
    EXPECT_DOUBLE_EQ(ParseMapNumber("-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(ParseMapNumber("12.25"), 12.25);
    EXPECT_DOUBLE_EQ(ParseMapNumber("1-2"), -12.0);
    EXPECT_DOUBLE_EQ(ParseMapNumber("180"), 180.0);
    EXPECT_DOUBLE_EQ(ParseMapNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseMapNumber(""), 0.0);
    // Other characters count as digits of value (code - '0'): '/' is -1.
    EXPECT_DOUBLE_EQ(ParseMapNumber("1/"), 9.0);
    // A second point keeps counting fraction digits.
    EXPECT_NEAR(ParseMapNumber("1.2.3"), 1.23, 1e-12);
}

TEST(MapFileReader, LineKindsAndPolygonTypes) {
    const std::vector<MapLine> lines = ReadAll("kinds.map",
                                               "a comment\n"
                                               "PLGN=L\n"
                                               "PLGN\n"
                                               "PLGNX\n"
                                               "PLGN=\n"
                                               "plgn=L\n"
                                               "LINE\n"
                                               "10\t20\n"
                                               "TERM\n"
                                               "PLGN=S\n");
    ASSERT_EQ(lines.size(), 9u);  // nothing after the end mark
    EXPECT_EQ(lines[0].kind, MapLineKind::Ignored);
    EXPECT_EQ(lines[1].kind, MapLineKind::PolygonHeader);
    EXPECT_EQ(lines[1].polygonType, 'L');
    EXPECT_EQ(lines[2].polygonType, '-');
    EXPECT_EQ(lines[3].polygonType, '-');
    EXPECT_EQ(lines[4].polygonType, '\n');  // "=" with nothing after it: the line end is the type
    EXPECT_EQ(lines[5].kind, MapLineKind::Ignored);  // case matters
    EXPECT_EQ(lines[6].kind, MapLineKind::PolylineHeader);
    EXPECT_EQ(lines[7].kind, MapLineKind::Point);
    EXPECT_DOUBLE_EQ(lines[7].longitude, 10.0);
    EXPECT_DOUBLE_EQ(lines[7].latitude, 20.0);
    EXPECT_EQ(lines[8].kind, MapLineKind::End);
}

TEST(MapFileReader, PointLinesWithoutTabOrLineEnd) {
    const std::vector<MapLine> lines = ReadAll("points.map",
                                               "PLGN=L\n"
                                               "-0.5\t12.25\r\n"   // CR LF accepted
                                               "13.5\n"            // no TAB: reuses -0.5
                                               "/5\t.25\n"         // starts a point with '/'
                                               "1-2\t3");          // no line end: no vertex
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1].kind, MapLineKind::Point);
    EXPECT_DOUBLE_EQ(lines[1].longitude, -0.5);
    EXPECT_DOUBLE_EQ(lines[1].latitude, 12.25);
    EXPECT_EQ(lines[2].kind, MapLineKind::Point);
    EXPECT_DOUBLE_EQ(lines[2].longitude, -0.5);
    EXPECT_DOUBLE_EQ(lines[2].latitude, 13.5);
    EXPECT_EQ(lines[3].kind, MapLineKind::Point);
    EXPECT_DOUBLE_EQ(lines[3].longitude, 5.0 - 10.0);  // '/' = -1, then 5: -1*10+5
    EXPECT_EQ(lines[4].kind, MapLineKind::Ignored);
}

TEST(MapFileReader, LongLinesArriveInPiecesOf127) {
    // 130 characters: a point line cut after 127 gives no vertex, and its
    // 3-character tail is read as a line of its own.
    std::string longPoint = "1\t" + std::string(125, '0') + "77\n";
    ASSERT_EQ(longPoint.size(), 130u);
    // A comment of 127 characters followed by "PLGN=S": the second piece is
    // read as a polygon header.
    const std::string longComment = std::string(127, 'x') + "PLGN=S\n";
    const std::vector<MapLine> lines =
        ReadAll("pieces.map", "PLGN=L\n" + longPoint + longComment + "TERM\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].kind, MapLineKind::Ignored);  // first piece, no line end
    EXPECT_EQ(lines[2].kind, MapLineKind::Point);    // the tail "77" is a point line
    EXPECT_DOUBLE_EQ(lines[2].latitude, 77.0);
    EXPECT_DOUBLE_EQ(lines[2].longitude, 0.0);       // no TAB: last longitude (none yet)
    EXPECT_EQ(lines[3].kind, MapLineKind::Ignored);
    EXPECT_EQ(lines[4].kind, MapLineKind::PolygonHeader);
    EXPECT_EQ(lines[4].polygonType, 'S');
    EXPECT_EQ(lines[5].kind, MapLineKind::End);
}

TEST(MapFileReader, OverlongFieldsAreCutAt63Characters) {
    // 100-character fields fit in one piece but not in a field: only the
    // first 63 characters count, and nothing is written past the field.
    const std::string lon = "1." + std::string(98, '0');
    std::string lat = "2." + std::string(61, '0') + std::string(37, '9');
    double last = 0.0;
    const MapLine line = ClassifyMapPiece(lon.substr(0, 60) + "\t" + lat.substr(0, 64) + "\n", true, last);
    EXPECT_EQ(line.kind, MapLineKind::Point);
    EXPECT_DOUBLE_EQ(line.latitude, 2.0);  // the 64th character (a 9) is cut off
    const MapLine big = ClassifyMapPiece("9" + std::string(70, '9') + "\t1\n", true, last);
    EXPECT_EQ(big.kind, MapLineKind::Point);
    EXPECT_DOUBLE_EQ(big.longitude, std::stod(std::string(63, '9')));
}

TEST(MapFileReader, MissingFileFailsToOpen) {
    MapFileReader reader;
    EXPECT_FALSE(reader.open(std::string(SORAE_BINARY_DIR) + "/no-such-dir/none.map"));
    MapLine line;
    EXPECT_FALSE(reader.next(line));
}

// A file that cannot give a map is named with the reason, so that an empty
// map never comes without a word.
TEST(MapFileReader, FilesThatGiveNoMapAreNamed) {
    const struct {
        const char* what;
        std::string path;
        const char* said;  // nullptr: a good file
    } cases[] = {
        {"good", maptest::WriteTempFile("good.map", "PLGN=1\n139.5\t35.5\n140.0\t36.0\nTERM\n"), nullptr},
        {"empty", maptest::WriteTempFile("empty.map", ""), "は空です"},
        {"no outline", maptest::WriteTempFile("text.map", "just some words\nTERM\n"), "海岸線のデータがありません"},
        {"points outside any block", maptest::WriteTempFile("loose.map", "139.5\t35.5\n"), "海岸線のデータがありません"},
        {"missing", std::string(SORAE_BINARY_DIR) + "/no-such-dir/none.map", "を開けません"},
        {"a folder", std::string(SORAE_BINARY_DIR), "通常のファイルではありません"},
        {"none found", "", "見つかりません"},
    };
    for (const auto& c : cases) {
        const std::string problem = MapFileProblem(c.path);
        if (!c.said) EXPECT_EQ(problem, "") << c.what;
        else EXPECT_NE(problem.find(c.said), std::string::npos) << c.what << ": " << problem;
    }
}

}  // namespace
}  // namespace sorae
