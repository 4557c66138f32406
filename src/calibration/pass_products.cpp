#include "calibration/pass_products.h"

#include <cmath>
#include <cstdio>

#include "calibration/colour_jpeg.h"

namespace sorae {
namespace {

std::string stemOf(const std::string& picturePath) {
    const auto dot = picturePath.rfind('.');
    const auto slash = picturePath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return picturePath;
    return picturePath.substr(0, dot);
}

std::string formatText(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

}  // namespace

std::vector<ProductKind> ProductsChosen(const AppSettings& s) {
    std::vector<ProductKind> kinds;
    if (s.productTemperature) kinds.push_back(ProductKind::Temperature);
    if (s.productThermal) kinds.push_back(ProductKind::Thermal);
    if (s.productFalseColour) kinds.push_back(ProductKind::FalseColour);
    if (s.productCloudTop) kinds.push_back(ProductKind::CloudTop);
    if (s.productMapColour) kinds.push_back(ProductKind::MapColour);
    return kinds;
}

std::string ProductPath(const std::string& picturePath, ProductKind kind) {
    return stemOf(picturePath) + "-" + ProductName(kind) +
           (kind == ProductKind::Temperature ? ".tif" : ".jpg");
}

ProductReport WriteProducts(const PassCalibration& pass, const ProductRequest& request,
                            const ThermalDecorator& decorate) {
    ProductReport report;
    const std::optional<int> ir = InfraredChannel(pass);
    auto save = [&](const PictureBuffer& picture, const std::string& path) {
        const ColourJpegResult written = SaveColourJpeg(picture, path);
        if (written.ok)
            report.filesWritten.push_back(path);
        else
            report.errors.push_back(written.error);
    };
    for (const ProductKind kind : request.kinds) {
        const std::string name = ProductName(kind);
        if (kind == ProductKind::Temperature) {
            bool any = false;
            for (int r = 0; r < 2; ++r) {
                if (!pass.channel[r].hasKelvin()) continue;
                any = true;
                if (request.picturePaths[r].empty()) {
                    report.skipped.push_back(name + ": the channel picture was not saved");
                    continue;
                }
                const std::string path = ProductPath(request.picturePaths[r], kind);
                const TiffWriteResult t = WriteFloatTiff(path, KelvinRaster(pass.channel[r]), kImageWords,
                                                         pass.rows, request.tiePoints[r]);
                if (t.ok)
                    report.filesWritten.push_back(path);
                else
                    report.errors.push_back(t.error);
            }
            if (!any) report.skipped.push_back(name + ": no infrared channel was calibrated");
            continue;
        }
        if (!ir) {
            report.skipped.push_back(name + ": no infrared channel was calibrated");
            continue;
        }
        if (request.picturePaths[*ir].empty()) {
            report.skipped.push_back(name + ": the channel picture was not saved");
            continue;
        }
        const ChannelCalibration& irChannel = pass.channel[*ir];
        const std::string path = ProductPath(request.picturePaths[*ir], kind);
        switch (kind) {
        case ProductKind::Thermal: {
            const PictureBuffer colours = ThermalPicture(irChannel, pass.rows);
            save(decorate ? decorate(colours, request.title) : colours, path);
            break;
        }
        case ProductKind::CloudTop: save(CloudTopPicture(irChannel, pass.rows), path); break;
        case ProductKind::FalseColour: {
            const std::optional<int> vis = VisibleChannel(pass);
            if (!vis) {
                report.skipped.push_back(name + ": the other channel is not a visible one");
                break;
            }
            const ChannelCalibration& v = pass.channel[*vis];
            save(FalseColourPicture(v, v.grey, irChannel, pass.rows), path);
            break;
        }
        case ProductKind::MapColour:
            if (!request.landMask || request.landMask->size() != std::size_t(pass.rows) * kImageWords) {
                report.skipped.push_back(name + ": the pass is not georeferenced (no land mask)");
                break;
            }
            save(MapColourPicture(irChannel, *request.landMask, pass.rows), path);
            break;
        case ProductKind::Temperature: break;
        }
    }
    return report;
}

std::string PointerValueText(const PassCalibration* pass, int channel, int direction,
                             int pictureColumn, int row, int grey) {
    if (pictureColumn < 0 || row < 0 || channel < 0 || channel > 1) return {};
    if (pass && row < pass->rows) {
        const ChannelCalibration& c = pass->channel[std::size_t(channel)];
        const float v = c.at(pictureColumn - ImageAreaLeft(direction), row);
        if (std::isfinite(v)) {
            if (c.rowQuantity[std::size_t(row)] == CalibratedQuantity::Kelvin)
                return formatText("%.1f\u2103 (%.1f K)", v - kKelvinAtZeroC, double(v));
            if (c.rowQuantity[std::size_t(row)] == CalibratedQuantity::AlbedoPercent)
                return formatText("\u53cd\u5c04\u7387 %.1f%%", double(v));
        }
    }
    return formatText("\u968e\u8abf %d", grey);
}

std::string FormatCalibrationReport(const PassCalibration& pass) {
    std::string text = "calibration";
    if (!pass.satellite.empty()) text += " (" + pass.satellite + ")";
    text += ": ";
    if (!pass.reason.empty()) return text + "none: " + pass.reason + "\n";
    text += formatText("%d telemetry frames", pass.frames);
    if (pass.blackbodyKnown)
        text += formatText(", blackbody %.2f K (thermometers %.2f %.2f %.2f %.2f K, spread %.2f K)",
                       pass.blackbodyKelvin, pass.thermometerKelvin[0], pass.thermometerKelvin[1],
                       pass.thermometerKelvin[2], pass.thermometerKelvin[3],
                       pass.thermometerSpreadKelvin);
    if (pass.thermometerReadingsRejected > 0)
        text += formatText(", %d thermometer readings left out", pass.thermometerReadingsRejected);
    text += "\n";
    for (int r = 0; r < 2; ++r) {
        const ChannelCalibration& c = pass.channel[r];
        text += std::string("  channel ") + (r == 0 ? "A" : "B") + ":";
        if (c.segments.empty()) text += " not calibrated: " + c.reason;
        for (const CalibrationSegment& s : c.segments) {
            text += std::string(" [") + ChannelName(s.channel) + formatText(" lines %d-%d", s.firstLine, s.lastLine);
            if (s.quantity == CalibratedQuantity::Kelvin)
                text += formatText(", space %.1f, blackbody %.1f counts, word noise %.1f words", s.spaceCount,
                                   s.blackbodyCount, s.noiseWords);
            else if (s.quantity == CalibratedQuantity::AlbedoPercent)
                text += ", albedo %";
            else
                text += ", not calibrated";
            if (s.rejectedReadings > 0) text += formatText(", %d readings left out", s.rejectedReadings);
            text += "]";
        }
        if (c.hasKelvin())
            text += formatText("; scene %.1f .. %.1f K (%.1f .. %.1f C)", c.minKelvin, c.maxKelvin,
                           c.minKelvin - kKelvinAtZeroC, c.maxKelvin - kKelvinAtZeroC);
        if (!c.segments.empty() && !c.reason.empty()) text += "; " + c.reason;
        text += "\n";
    }
    return text;
}

}  // namespace sorae
