#include "recording/decode_summary.h"

#include "recording/recording_gaps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace sorae {

namespace {

std::string format(const char* pattern, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

std::string fileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string padded(const std::string& text, std::size_t width) {
    const std::size_t w = DisplayWidth(text);
    return text + std::string(w < width ? width - w : 0, ' ');
}

std::string synchronisedSpan(const PassFileReport& r) {
    if (!r.synchronised()) return "-";
    const int first = std::max(0, r.recording.firstSyncLine);
    return format("%d (%d-%d)", r.recording.lastSyncLine - first + 1, first, r.recording.lastSyncLine);
}

std::string sensors(const PassFileReport& r) {
    if (!r.synchronised()) return "-";
    return r.recording.sensorNameA + " / " + r.recording.sensorNameB;
}

std::string calibration(const PassFileReport& r) {
    if (!r.synchronised()) return "-";
    if (r.pictured && r.mapping[0] == GreyMapping::Stretch && r.mapping[1] == GreyMapping::Stretch)
        return "stretch";
    std::string text =
        format("gain %.4f offset %.2f", r.recording.calibrationGain, r.recording.calibrationOffset);
    if (r.pictured && (r.mapping[0] == GreyMapping::Stretch || r.mapping[1] == GreyMapping::Stretch))
        text += r.mapping[0] == GreyMapping::Stretch ? " (A stretch)" : " (B stretch)";
    return text;
}

std::string pictures(const PassFileReport& r) {
    if (!r.filesWritten.empty()) {
        std::string names;
        for (const std::string& f : r.filesWritten) {
            if (!names.empty()) names += ' ';
            names += fileName(f);
        }
        return names;
    }
    if (!r.error.empty()) return "none: " + r.error;
    return "none: " + r.noFilesReason;
}

}  // namespace

std::string FormatUtc(double unixSeconds) {
    if (!std::isfinite(unixSeconds)) return "?";
    const auto whole = std::time_t(std::floor(unixSeconds));
    std::tm t{};
    ::gmtime_r(&whole, &t);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    const double fraction = unixSeconds - double(whole);
    std::string out = text;
    if (fraction >= 0.005) out += format("%.2f", fraction).substr(1);
    return out + " UTC";
}

std::size_t DisplayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? c : c & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + std::size_t(k) < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + std::size_t(k)]) & 0x3F);
        i += std::size_t(length);
        // Hangul Jamo onwards, up to the half-width forms, and the
        // supplementary ideographs are wide; everything else narrow.
        const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                          (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                          (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                          (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

std::string FormatFileDetails(const PassFileReport& r) {
    const RecordingDecodeResult& d = r.recording;
    if (!d.ok) return {};
    std::string text = "recording: " + r.path + "\n";
    if (r.start)
        text += "start: " + FormatUtc(r.start->unixSeconds) + " (" + r.start->source + ")\n";
    if (!r.satelliteSource.empty()) text += "satellite: " + r.satellite + " (from " + r.satelliteSource + ")\n";
    if (r.elements) text += "elements: " + r.elements->message + "\n";
    if (r.directionFromOrbit)
        text += std::string("direction: ") + (r.direction == 1 ? "S>N, turned north-up" : "N>S") + " (from the orbit)\n";
    if (d.iqCarrierHz) {
        static const char* const how[] = {"given", "found", "none found: the receiver's IF"};
        text += format("carrier: %.0f Hz (%s)\n", *d.iqCarrierHz, how[int(d.iqCarrierSource)]);
    }
    if (d.reclocked && d.clockRatio)
        text += format("clock: the recorder's samples came at %.0f Hz, not the %d Hz its header says "
                       "(%+.0f ppm, measured from the line rate); decoded at that rate\n",
                       d.headerRate * *d.clockRatio, d.headerRate, (*d.clockRatio - 1.0) * 1e6);
    text += format("blocks read: %ld (%.1f s)\n", d.blocks, d.blocks * 0.5);
    if (d.skippedBlocks > 0)
        text += format("read past: the first %.1f s (no APT signal before %.1f s; a pass holds at most 2400 "
                       "lines, and the noise before it would have cut it short)\n",
                       d.skippedBlocks * 0.5, (d.skippedBlocks + RecordingDecoder::kLeadLinesKept) * 0.5);
    if (r.autoLevel)
        text += format("level: automatic, %.1f dB\n", d.appliedLevelDb);
    else
        text += format("level: fixed gain %d dB\n", -r.signalGainDb);
    text += format("lines stored: %d%s\n", d.linesStored,
                   d.storeFull ? " (the store is full: the rest was not decoded)" : "");
    if (!r.synchronised()) return text;
    text += format("synchronised: lines %d to %d (%d blocks locked)\n", std::max(0, d.firstSyncLine),
                   d.lastSyncLine, d.syncedBlocks);
    text += RecordingGapsText(d.gaps);
    if (d.linesByLineRate > 0)
        text += format("placed by the line rate: %d lines (their own sync was not found)\n", d.linesByLineRate);
    text += "sensor A: " + d.sensorNameA + "\nsensor B: " + d.sensorNameB + "\n";
    if (!d.sensorUndecidedA.empty()) text += "sensor A undecided: " + d.sensorUndecidedA + "\n";
    if (!d.sensorUndecidedB.empty()) text += "sensor B undecided: " + d.sensorUndecidedB + "\n";
    text += format("calibration: gain %.6f offset %.3f\n", d.calibrationGain, d.calibrationOffset);
    if (!r.pictured) return text;
    text += format("grey levels: A %s, B %s\n", GreyMappingName(r.mapping[0]),
                   GreyMappingName(r.mapping[1]));
    text += format("picture rows: %d from line %d%s\n", r.pictureRows, r.pictureFirstLine,
                   r.titled ? " (titled)" : "");
    for (const std::string& file : r.filesWritten) text += "written: " + file + "\n";
    if (r.error.empty() && r.filesWritten.empty()) text += "no files: " + r.noFilesReason + "\n";
    return text;
}

std::string FormatDecodeSummary(const std::vector<PassFileReport>& reports) {
    const std::vector<std::string> heading = {"file", "synchronised", "sensors", "calibration",
                                              "pictures"};
    std::vector<std::vector<std::string>> rows;
    for (const PassFileReport& r : reports)
        rows.push_back({fileName(r.path), synchronisedSpan(r), sensors(r), calibration(r), pictures(r)});

    std::vector<std::size_t> widths;
    for (const std::string& h : heading) widths.push_back(DisplayWidth(h));
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));

    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c + 1 < cells.size(); ++c) text += padded(cells[c], widths[c]) + "  ";
        return text + cells.back() + "\n";
    };
    std::string text = line(heading);
    for (const auto& row : rows) text += line(row);
    const auto decoded = std::count_if(reports.begin(), reports.end(),
                                       [](const PassFileReport& r) { return r.decoded; });
    text += format("%zu recordings: %zu decoded, %zu failed\n", reports.size(), std::size_t(decoded),
                   reports.size() - std::size_t(decoded));
    return text;
}

ProgressBoard::ProgressBoard(std::vector<std::string> names)
    : names_(std::move(names)), percent_(names_.size(), 0) {
    for (std::string& name : names_) name = fileName(name);
}

std::string ProgressBoard::started(std::size_t file) {
    running_.push_back(file);
    percent_[file] = 0;
    return redraw({});
}

std::string ProgressBoard::progress(std::size_t file, int percent) {
    percent_[file] = percent;
    return redraw({});
}

std::string ProgressBoard::finished(std::size_t file, bool decoded, const std::string& notes) {
    running_.erase(std::remove(running_.begin(), running_.end(), file), running_.end());
    return redraw((decoded ? "[done] " : "[fail] ") + names_[file] + "\n" + notes);
}

std::string ProgressBoard::redraw(const std::string& settled) {
    // Back to the first live line, clear to the end of the screen, then the
    // settled line (it scrolls up with the output) and the live lines again.
    std::string text = drawnLines_ > 0 ? format("\033[%zuA", drawnLines_) : std::string();
    text += "\r\033[J" + settled;
    for (std::size_t file : running_) text += format("[%3d%%] ", percent_[file]) + names_[file] + "\n";
    drawnLines_ = running_.size();
    return text;
}

}  // namespace sorae
