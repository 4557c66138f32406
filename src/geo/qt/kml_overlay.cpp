#include "geo/qt/kml_overlay.h"

#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace sorae {

namespace {
bool Fail(std::string* error, const QString& text) {
    if (error) *error = text.toStdString();
    return false;
}

QString Xml(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }
}  // namespace

bool WriteKmlOverlay(const std::string& kmlPath, const std::string& name, const PlateCarreeRaster& raster,
                     std::string* error) {
    const QString kml = QString::fromStdString(kmlPath);
    if (raster.width <= 0 || raster.height <= 0) return Fail(error, kml + ": nothing to draw");
    QString png = kml;
    if (png.endsWith(".kml", Qt::CaseInsensitive)) png.chop(4);
    png += ".png";

    QImage image(raster.width, raster.height, QImage::Format_ARGB32);
    for (int y = 0; y < raster.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < raster.width; ++x) {
            const float v = raster.values[std::size_t(y) * raster.width + x];
            if (std::isnan(v)) {
                line[x] = qRgba(0, 0, 0, 0);
            } else {
                const int g = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
                line[x] = qRgba(g, g, g, 255);
            }
        }
    }
    QSaveFile pngFile(png);
    if (!pngFile.open(QIODevice::WriteOnly) || !image.save(&pngFile, "PNG") || !pngFile.commit())
        return Fail(error, png + ": " + pngFile.errorString());

    // KML wants longitudes in -180..180; east may then lie below west when
    // the box crosses the antimeridian, which viewers take as it is meant.
    auto wrap = [](double lon) { return std::remainder(lon, 360.0); };
    const double east = raster.westDeg + raster.width * raster.cellDeg;
    const double south = raster.northDeg - raster.height * raster.cellDeg;
    const QString text =
        QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                "  <GroundOverlay>\n"
                "    <name>%1</name>\n"
                "    <Icon><href>%2</href></Icon>\n"
                "    <LatLonBox>\n"
                "      <north>%3</north>\n"
                "      <south>%4</south>\n"
                "      <east>%5</east>\n"
                "      <west>%6</west>\n"
                "    </LatLonBox>\n"
                "  </GroundOverlay>\n"
                "</kml>\n")
            .arg(Xml(name), QFileInfo(png).fileName().toHtmlEscaped())
            .arg(raster.northDeg, 0, 'f', 6)
            .arg(std::max(-90.0, south), 0, 'f', 6)
            .arg(wrap(east), 0, 'f', 6)
            .arg(wrap(raster.westDeg), 0, 'f', 6);
    QSaveFile kmlFile(kml);
    const QByteArray bytes = text.toUtf8();
    if (!kmlFile.open(QIODevice::WriteOnly) || kmlFile.write(bytes) != bytes.size() || !kmlFile.commit())
        return Fail(error, kml + ": " + kmlFile.errorString());
    return true;
}

}  // namespace sorae
