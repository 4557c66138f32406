#include "testsignal/apt_line_source.h"

#include <algorithm>
#include <cstring>

namespace sorae::testsignal {
namespace {

SyncWord buildSyncA() {
    SyncWord w{};
    for (int p = 0; p < 7; ++p) w[3 + 4 * p] = w[4 + 4 * p] = 1;
    return w;
}

SyncWord buildSyncB() {
    SyncWord w{};
    for (int p = 0; p < 7; ++p) w[4 + 5 * p] = w[5 + 5 * p] = w[6 + 5 * p] = 1;
    return w;
}

int validSensor(int sensor) { return sensor >= 1 && sensor <= kMaxSensor ? sensor : kNoSensor; }

}  // namespace

const SyncWord& syncWordA() {
    static const SyncWord w = buildSyncA();
    return w;
}

const SyncWord& syncWordB() {
    static const SyncWord w = buildSyncB();
    return w;
}

int telemetryWedgeValue(int wedge, int sensor) {
    if (wedge >= 1 && wedge <= 8) return (wedge * 255 + 4) / 8;  // 32, 64, ... 255
    switch (wedge) {
    case 9: return 0;
    case 10: return 104;
    case 11: return 106;
    case 12: return 103;
    case 13: return 105;
    case 14: return 40;
    case 15: return sensor >= 4 && sensor <= 6 ? 90 : 0;
    case 16: {
        const int s = validSensor(sensor);
        return s == kNoSensor ? 0 : telemetryWedgeValue(s, s);
    }
    default: return 0;
    }
}

int wedgeOfLine(long lineNumber) {
    const long inFrame = ((lineNumber % AptLayout::kLinesPerFrame) + AptLayout::kLinesPerFrame) %
                         AptLayout::kLinesPerFrame;
    return int(inFrame / AptLayout::kLinesPerWedge) + 1;
}

MinuteMark minuteMarkOfLine(long lineNumber) {
    const long inMinute = ((lineNumber % AptLayout::kLinesPerMinute) + AptLayout::kLinesPerMinute) %
                          AptLayout::kLinesPerMinute;
    if (inMinute >= AptLayout::kMinuteMarkerLines) return MinuteMark::None;
    return inMinute < AptLayout::kMinuteMarkerLines / 2 ? MinuteMark::Black : MinuteMark::White;
}

AptLineSource::AptLineSource(GreyPicture pictureA, GreyPicture pictureB, int sensorA, int sensorB)
    : pictureA_(std::move(pictureA)), pictureB_(std::move(pictureB)),
      sensorA_(validSensor(sensorA)), sensorB_(validSensor(sensorB)) {}

void AptLineSource::changeSensor(int channel, long fromLine, int sensor) {
    change_[channel == 0 ? 0 : 1] = SensorChange{fromLine, validSensor(sensor)};
}

int AptLineSource::sensor(int channel, long lineNumber) const {
    const SensorChange& c = change_[channel == 0 ? 0 : 1];
    if (c.fromLine >= 0 && lineNumber >= c.fromLine) return c.sensor;
    return channel == 0 ? sensorA_ : sensorB_;
}

void AptLineSource::setSensorViews(int sensor, int backScanWord, int spaceWord) {
    views_[std::size_t(validSensor(sensor))] = Views{backScanWord, spaceWord};
}

void AptLineSource::setThermometerWords(const std::array<int, 4>& words) { thermometers_ = words; }

void AptLineSource::composeHalf(long lineNumber, int channel, std::uint8_t* out) const {
    const SyncWord& sync = channel == 0 ? syncWordA() : syncWordB();
    for (int i = 0; i < AptLayout::kSyncWords; ++i)
        out[AptLayout::kSyncStart + i] = sync[i] ? kWordHigh : kWordLow;

    // Space: dark on channel A, bright on channel B, unless a minute marker.
    const int sensorNow = sensor(channel, lineNumber);
    const Views& views = views_[std::size_t(sensorNow)];
    const int ownSpace = views.space >= 0 ? std::clamp(views.space, 0, 255) : channel == 1 ? kWordHigh : kWordLow;
    const MinuteMark mark = minuteMarkOfLine(lineNumber);
    const int space = mark == MinuteMark::Black ? kWordLow : mark == MinuteMark::White ? kWordHigh : ownSpace;
    std::memset(out + AptLayout::kSpaceStart, space, AptLayout::kSpaceWords);

    const GreyPicture& pic = picture(channel);
    std::uint8_t* image = out + AptLayout::kImageStart;
    if (pic.empty()) {
        std::memset(image, 0, AptLayout::kImageWords);
    } else {
        const int row = int(((lineNumber % pic.height) + pic.height) % pic.height);
        if (pic.width == AptLayout::kImageWords) {
            std::memcpy(image, &pic.pixels[std::size_t(row) * pic.width], AptLayout::kImageWords);
        } else {
            for (int x = 0; x < AptLayout::kImageWords; ++x)
                image[x] = pic.at(int(long(x) * pic.width / AptLayout::kImageWords), row);
        }
    }

    const int wedge = wedgeOfLine(lineNumber);
    int value = telemetryWedgeValue(wedge, sensorNow);
    if (wedge >= 10 && wedge <= 13 && thermometers_[std::size_t(wedge - 10)] >= 0)
        value = thermometers_[std::size_t(wedge - 10)];
    if (wedge == 15 && views.backScan >= 0) value = views.backScan;
    std::memset(out + AptLayout::kTelemetryStart, value, AptLayout::kTelemetryWords);
}

void AptLineSource::composeLine(long lineNumber, AptLine& out) const {
    composeHalf(lineNumber, 0, out.data());
    composeHalf(lineNumber, 1, out.data() + AptLayout::kWordsPerHalf);
}

AptLine AptLineSource::line(long lineNumber) const {
    AptLine l;
    composeLine(lineNumber, l);
    return l;
}

AptHalfLine AptLineSource::half(long lineNumber, int channel) const {
    AptHalfLine h;
    composeHalf(lineNumber, channel == 0 ? 0 : 1, h.data());
    return h;
}

GreyPicture AptLineSource::truthPicture(int channel, long firstLine, int lines) const {
    GreyPicture p(AptLayout::kWordsPerHalf, lines);
    for (int r = 0; r < p.height; ++r)
        composeHalf(firstLine + r, channel == 0 ? 0 : 1, &p.pixels[std::size_t(r) * p.width]);
    return p;
}

}  // namespace sorae::testsignal
