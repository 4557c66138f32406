#include "recording/pass_file_decoder.h"

#include "orbit/pass_heading.h"
#include "orbit/pass_table.h"
#include "recording/recording_satellite.h"

#include <algorithm>
#include <cmath>

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

    report.start = FindRecordingStart(path, r.lengthSeconds, options.startUnixSeconds);
    if (options.passTime) {
        report.passTime = *options.passTime;
    } else if (report.start) {
        report.passTime = StationDaysFromUnixSeconds(report.start->unixSeconds);
        if (report.start->rule != StartRule::Given)
            report.timeSource = report.start->rule == StartRule::ModificationTime
                                    ? StartTimeSource::ModificationTime
                                    : StartTimeSource::FileName;
    } else {
        report.passTime = options.fallbackTime;
    }

    std::optional<std::string> satellite = options.satellite;
    if (!satellite) {
        std::optional<IqCarrier> iq;
        if (decode.quadrature)
            iq = IqCarrier{r.iqCarrierSource == CarrierSource::Assumed ? std::nullopt : r.iqCarrierHz};
        RecordingSatellite named = SatelliteOfRecording(
            path, report.start ? std::optional(report.start->unixSeconds) : std::nullopt, iq);
        satellite = std::move(named.name);
        if (satellite) report.satelliteSource = named.source;
        if (!named.doubt.empty()) report.notes.push_back("satellite unknown: " + named.doubt);
    }
    report.satellite = satellite.value_or("");
    // The element set for the middle of the synchronised lines.
    if (satellite && report.start && !options.elementFile.empty()) {
        const int middle = (std::max(0, r.firstSyncLine) + r.lastSyncLine) / 2;
        const double offset = store.lineSeconds(middle);
        report.elements = ChooseElementSetFromFile(options.elementFile, *satellite,
                                                   report.start->unixSeconds + (std::isfinite(offset) ? offset : 0.0));
    }

    report.direction = decode.direction;
    if (options.directionFromOrbit) {
        const bool placed = report.elements && report.elements->usable();
        const double first = store.lineSeconds(std::max(0, r.firstSyncLine));
        const double last = store.lineSeconds(r.lastSyncLine);
        const auto heading = placed && std::isfinite(first) && std::isfinite(last)
                                 ? HeadingOverTime(*report.elements->propagator, report.start->unixSeconds + first,
                                                   report.start->unixSeconds + last)
                                 : std::nullopt;
        if (heading) {
            report.direction = *heading == PassHeading::Northbound ? 1 : 0;
            report.directionFromOrbit = true;
        } else {
            report.notes.push_back(std::string("direction: ") + (decode.direction == 1 ? "S>N" : "N>S") +
                                   ", as the orbit could not tell " +
                                   (placed ? "(the pass goes over a pole)"
                                           : "(it needs the satellite, the start and an element set)"));
        }
    }

    PassPictureInputs in;
    in.store = &store;
    in.direction = report.direction;
    in.rules = options.rules;
    in.sensorNameA = r.sensorNameA;
    in.sensorNameB = r.sensorNameB;
    in.calibrationGain = r.calibrationGain;
    in.calibrationOffset = r.calibrationOffset;
    in.manual = !satellite.has_value();
    in.processingTime = report.passTime;
    if (satellite) {
        in.pass.satelliteName = *satellite;
        in.pass.frequencyMHz = options.frequencyMHz.value_or(SatelliteFrequencyMHz(*satellite));
        in.pass.direction = report.direction;
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
    if (options.afterPictures && pictures.errors.empty() && !pictures.filesWritten.empty()) {
        std::vector<std::string> more = options.afterPictures(path, store, pictures, report.start);
        report.notes.insert(report.notes.end(), more.begin(), more.end());
    }
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
