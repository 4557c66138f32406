#include "recording/pass_file_decoder.h"

#include "orbit/pass_table.h"

namespace sorae {

PassFileReport DecodePassFile(const std::string& path, const PassFileOptions& options,
                              LineStore& store, const TitleDrawer& drawTitle,
                              const DecodeProgress& progress) {
    PassFileReport report;
    report.path = path;

    RecordingDecodeOptions decode = options.decode;
    decode.path = path;
    decode.progress = progress;
    // A decoder of its own per file: nothing of the sync state of the last
    // recording carries over; the store is reused, its lines rewritten.
    RecordingDecoder decoder(store);
    report.autoLevel = decode.autoLevel;
    report.signalGainDb = decode.signalGainDb;
    report.recording = decoder.run(decode);
    const RecordingDecodeResult& r = report.recording;
    if (!r.ok) {
        report.error = r.error;
        return report;
    }
    if (r.firstSyncLine == kNoSyncLine) {
        report.error = std::string("no line was synchronised; is this an APT recording") +
                       (decode.quadrature ? "" : " (use --iq for I/Q)") + "?";
        return report;
    }

    const auto start = FindRecordingStartTime(path, r.lengthSeconds);
    if (options.passTime) {
        report.passTime = *options.passTime;
    } else if (start) {
        report.passTime = start->stationDays;
        report.timeSource = start->source;
    } else {
        report.passTime = options.fallbackTime;
    }

    PassPictureInputs in;
    in.store = &store;
    in.direction = decode.direction;
    in.rules = options.rules;
    in.sensorNameA = r.sensorNameA;
    in.sensorNameB = r.sensorNameB;
    in.calibrationGain = r.calibrationGain;
    in.calibrationOffset = r.calibrationOffset;
    in.manual = !options.satellite.has_value();
    in.processingTime = report.passTime;
    if (options.satellite) {
        in.pass.satelliteName = *options.satellite;
        in.pass.frequencyMHz = options.frequencyMHz.value_or(SatelliteFrequencyMHz(*options.satellite));
        in.pass.direction = decode.direction;
        in.pass.maxElevationDeg = options.maxElevationDeg;
        in.pass.maxElevationTime = report.passTime;
    }
    in.picsFolder = options.picsFolder;
    in.claimName = options.claimName;

    const PassPictureResult pictures = BuildPassPictures(in, {}, drawTitle);
    report.pictured = true;
    report.pictureRows = pictures.rows;
    report.pictureFirstLine = pictures.firstLine;
    report.titled = pictures.titled;
    report.filesWritten = pictures.filesWritten;
    report.mapping = pictures.mapping;
    if (options.afterPictures && pictures.errors.empty() && !pictures.filesWritten.empty())
        report.notes = options.afterPictures(path, store, pictures, FindRecordingStart(path, r.lengthSeconds));
    if (!pictures.errors.empty()) {
        for (const std::string& e : pictures.errors) {
            if (!report.error.empty()) report.error += "; ";
            report.error += e;
        }
        return report;
    }
    if (pictures.filesWritten.empty()) {
        report.noFilesReason =
            !options.rules.picSave
                ? "picture saving is switched off (Pic/PicSave)"
                : std::to_string(pictures.rows) + " rows are not more than the minimum of " +
                      std::to_string(options.rules.minScanLine) + " (" + options.minLinesName + ")";
    }
    report.decoded = true;
    return report;
}

}  // namespace sorae
