#include "imaging/pass_pictures.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "imaging/jpeg_file.h"
#include "imaging/picture_naming.h"
#include "imaging/picture_pair_files.h"
#include "imaging/picture_stretch.h"

namespace sorae {

const char* GreyMappingName(GreyMapping mapping) {
    return mapping == GreyMapping::Stretch ? "stretch" : "calibration";
}

void ResetPassPictures(PictureBuffer& pictureA, PictureBuffer& pictureB, int areaHeight) {
    pictureA.resize(kWordsPerChannel, areaHeight);
    pictureB.resize(kWordsPerChannel, areaHeight);
}

void FillChannelPicture(const LineStore& store, int channel, int firstLine, int rows,
                        int direction, double gain, double offset, PictureBuffer& picture,
                        const std::function<void(int row)>& beforeRow) {
    picture.resize(kWordsPerChannel, rows);
    for (int r = 0; r < rows; ++r) {
        if (beforeRow) beforeRow(r);
        if (direction == 0) {
            const int line = firstLine + r;
            for (int x = 0; x < kWordsPerChannel; ++x)
                SetPicturePixel(x, r, picture,
                                LevelToGrey(store.at(channel, x, line) * gain - offset));
        } else {
            // a south-to-north pass: the same lines turned through 180 degrees
            const int line = firstLine + rows - 1 - r;
            for (int x = 0; x < kWordsPerChannel; ++x)
                SetPicturePixel(kWordsPerChannel - 1 - x, r, picture,
                                LevelToGrey(store.at(channel, x, line) * gain - offset));
        }
    }
}

PassPictureResult BuildPassPictures(const PassPictureInputs& in, const ProgressCallback& progress,
                                    const TitleDrawer& drawTitle) {
    PassPictureResult result;
    std::string lastText = "\x01";  // no text shown yet
    auto show = [&](const std::string& text) {
        if (text == lastText) return;
        lastText = text;
        if (progress) progress(text);
    };

    if (!in.store || in.store->firstSyncLine == kNoSyncLine) return result;  // nothing synchronised
    const LineStore& store = *in.store;
    result.built = true;

    const int lineCount = std::clamp(store.lineCount, 0, kMaxLines);
    const int firstSync = std::clamp(store.firstSyncLine, 0, kMaxLines);
    const int lastSync = std::clamp(store.lastSyncLine, 0, kMaxLines);
    int first = 0;
    int rows = lineCount;
    if (in.rules.picCut) {
        first = firstSync;
        rows = std::max(0, lastSync - firstSync);
    }
    // never read beyond the stored lines
    rows = std::max(0, std::min(rows, lineCount - first));
    result.firstLine = first;
    result.rows = rows;
    result.direction = in.direction;

    const bool calibrated =
        in.calibrated.value_or(in.calibrationGain != 1.0 || in.calibrationOffset != 0.0);
    std::vector<double> scratch;
    for (int channel = 0; channel < 2; ++channel) {
        if (calibrated) {
            result.gain[channel] = in.calibrationGain;
            result.offset[channel] = in.calibrationOffset;
            continue;
        }
        const ChannelStretch stretch = StretchChannel(store, channel, first, rows, scratch);
        result.mapping[channel] = GreyMapping::Stretch;
        result.gain[channel] = stretch.gain;
        result.offset[channel] = stretch.offset;
    }

    show("");
    const std::string directionWord = in.direction == 1 ? "S>N 画像処理中 " : "N>S 画像処理中 ";
    for (int channel = 0; channel < 2; ++channel) {
        PictureBuffer& picture = channel == 0 ? result.pictureA : result.pictureB;
        FillChannelPicture(store, channel, first, rows, in.direction, result.gain[channel],
                           result.offset[channel], picture, [&](int r) {
                               if ((r * 100 / rows) % 10 == 0) return;
                               const int percent = r * 50 / rows + (channel == 0 ? 0 : 50);
                               show(directionWord + std::to_string(percent) + "%");
                           });
    }

    if (rows > in.rules.minScanLine) {
        const PassDescription& pass = in.pass;
        const std::string directionText = pass.direction == 1 ? "S>N" : "N>S";
        const CivilMinute maxTime = CivilMinuteFromDayCount(pass.maxElevationTime);
        result.fileStamp = FormatFileStamp(
            in.manual ? CivilMinuteFromDayCount(in.processingTime) : maxTime);
        result.satellitePart = SatellitePart(pass.satelliteName, in.manual);
        if (!in.manual) result.satelliteName = pass.satelliteName;

        bool folderReady = false;
        std::string folderError;
        if (in.rules.picSave) {
            // The error of creating the folder is the one to report: asking
            // afterwards whether it exists would replace, say, a permission
            // error by "No such file or directory".
            std::error_code createError;
            std::filesystem::create_directories(in.picsFolder, createError);
            std::error_code statError;
            folderReady = std::filesystem::is_directory(in.picsFolder, statError);
            const std::error_code& ec = createError ? createError : statError;
            if (!folderReady)
                folderError = "cannot create folder " + in.picsFolder +
                              (ec ? ": " + ec.message() : std::string());
        }

        const int firstOccurrence =
            in.rules.picSave && folderReady && in.claimName
                ? in.claimName(in.picsFolder, result.fileStamp + result.satellitePart)
                : 1;
        std::array<JpegEncodeResult, 2> encoded;
        for (int channel = 0; channel < 2; ++channel) {
            PictureBuffer& picture = channel == 0 ? result.pictureA : result.pictureB;
            show(channel == 0 ? "ChA 画像処理中..." : "ChB 画像処理中...");
            if (!in.manual && in.rules.addText) {
                const std::string& sensor = channel == 0 ? in.sensorNameA : in.sensorNameB;
                const std::string line = FormatTitleLine(maxTime, pass.frequencyMHz,
                                                         directionText, pass.maxElevationDeg,
                                                         sensor);
                if (drawTitle) drawTitle(picture, pass.satelliteName, line);
                result.titled = true;
            }
            if (in.rules.picSave) {
                show(channel == 0 ? "ChA Jpeg画像処理中..." : "ChB Jpeg画像処理中...");
                const std::string path = PictureFilePath(in.picsFolder, result.fileStamp,
                                                         result.satellitePart, channel, firstOccurrence);
                if (!folderReady) {
                    result.errors.push_back(path + ": " + folderError);
                    continue;
                }
                encoded[std::size_t(channel)] = EncodePictureJpeg(picture);
                if (!encoded[std::size_t(channel)].ok)
                    result.errors.push_back(path + ": " + encoded[std::size_t(channel)].error);
            }
        }
        if (in.rules.picSave && folderReady) {
            // An earlier pass of the same minute (another run, another
            // program) keeps its pictures: this pair is numbered after it.
            const PicturePairFiles saved = SavePicturePairWithoutReplacing(
                in.picsFolder, result.fileStamp, result.satellitePart,
                {&encoded[0].bytes, &encoded[1].bytes}, firstOccurrence);
            result.occurrence = saved.occurrence;
            result.filesWritten = saved.written;
            result.errors.insert(result.errors.end(), saved.errors.begin(), saved.errors.end());
        }
        result.refreshBrowser = !result.filesWritten.empty();
    }
    show("");
    return result;
}

}  // namespace sorae
