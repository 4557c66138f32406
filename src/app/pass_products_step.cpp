#include "app/pass_products_step.h"

#include <cctype>

#include "imaging/picture_naming.h"

namespace sorae {

int ChannelOfPictureFile(const std::string& path) {
    std::string stem = path;
    if (const auto dot = stem.rfind('.'); dot != std::string::npos) stem.resize(dot);
    // a numbered pass of the same minute: "...A-2"
    if (const auto dash = stem.rfind('-'); dash != std::string::npos && dash + 1 < stem.size()) {
        bool digits = true;
        for (std::size_t i = dash + 1; i < stem.size(); ++i)
            digits = digits && std::isdigit(static_cast<unsigned char>(stem[i]));
        if (digits) stem.resize(dash);
    }
    if (stem.empty()) return -1;
    return stem.back() == 'A' ? 0 : stem.back() == 'B' ? 1 : -1;
}

std::array<std::string, 2> ChannelJpegFiles(const std::vector<std::string>& filesWritten) {
    std::array<std::string, 2> jpegs;
    for (const std::string& file : filesWritten) {
        const bool jpeg = file.size() > 4 && file.compare(file.size() - 4, 4, ".jpg") == 0;
        if (const int channel = ChannelOfPictureFile(file); jpeg && channel >= 0) jpegs[std::size_t(channel)] = file;
    }
    return jpegs;
}

PassProductsOutcome MakePassProducts(const PassProductsInput& in, const ThermalDecorator& decorate) {
    PassProductsOutcome out;
    out.calibration = CalibratePass(
        {in.store, in.firstLine, in.rows, in.direction, in.satellite, in.automaticLevel});
    out.text = FormatCalibrationReport(out.calibration);
    if (in.kinds.empty()) return out;

    ProductRequest request;
    request.kinds = in.kinds;
    request.landMask = in.landMask;
    request.tiePoints = in.tiePoints;
    for (const std::string& path : in.picturesSaved)
        if (const int channel = ChannelOfPictureFile(path); channel >= 0) request.picturePaths[channel] = path;
    if (const auto ir = InfraredChannel(out.calibration))
        request.title = out.calibration.satellite + "  " +
                        FormatTitleTime(CivilMinuteFromDayCount(in.passTime)) + "  " +
                        in.sensorNames[*ir];
    out.report = WriteProducts(out.calibration, request, decorate);
    for (const std::string& f : out.report.filesWritten) out.text += "  wrote " + f + "\n";
    for (const std::string& s : out.report.skipped) out.text += "  not made: " + s + "\n";
    for (const std::string& e : out.report.errors) out.text += "  error: " + e + "\n";
    return out;
}

}  // namespace sorae
