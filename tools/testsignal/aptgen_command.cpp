#include "testsignal/aptgen_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "calibration/temperature_tiff.h"
#include "testsignal/picture_files.h"
#include "testsignal/thermal_scene.h"
#include "testsignal/test_patterns.h"

namespace sorae::testsignal {
namespace {

bool parseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

template <typename T>
bool parseInteger(const std::string& text, T& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && first != last;
}

// "LINE:N": a line number (counted like --first-line) and a sensor 0..6.
bool parseSensorChange(const std::string& text, AptGenCommand::SensorChange& change) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return false;
    long line = 0;
    int sensor = 0;
    if (!parseInteger(text.substr(0, colon), line) || !parseInteger(text.substr(colon + 1), sensor))
        return false;
    if (line < 0 || sensor < 0 || sensor > kMaxSensor) return false;
    change = {line, sensor};
    return true;
}

}  // namespace

std::string aptGenUsage() {
    return "usage: sorae-aptgen --out FILE.wav|flac|ogg [options]\n"
           "  --rate HZ            sample rate (audio 48000, I/Q 96000)\n"
           "  --iq                 stereo I/Q (96000 Hz unless --rate): FM carrier in I + jQ\n"
           "  --iq-carrier HZ      where the I/Q carrier lies (-24000; 0 for an SDR's baseband)\n"
           "  --deviation HZ       I/Q frequency deviation of white (17000)\n"
           "  --float              32-bit float samples (WAV, OGG)\n"
           "  --snr DB             add white noise (none by default)\n"
           "  --level X            scale the whole signal (and its noise) by X (1);\n"
           "                       16-bit files clip at full scale as a recorder does,\n"
           "                       float files keep samples beyond +-1.0\n"
           "  --ppm X              sample-clock error of the recorder\n"
           "  --lines N            number of lines, 2 a second (240)\n"
           "  --start-fraction F   start this far into the first line, 0 <= F < 1\n"
           "  --first-line N       number of the first line (telemetry phase)\n"
           "  --seed N             noise seed (1)\n"
           "  --picture-a PNG      channel A picture (909 columns)\n"
           "  --picture-b PNG      channel B picture\n"
           "  --pattern-a NAME     built-in channel A picture: card, gradient, bars\n"
           "  --pattern-b NAME     built-in channel B picture\n"
           "  --sensor-a N         sensor of channel A, 1..6, 0 for none (2)\n"
           "  --sensor-b N         sensor of channel B (4)\n"
           "  --sensor-a-after L:N channel A sends sensor N from line L on\n"
           "  --sensor-b-after L:N channel B sends sensor N from line L on\n"
           "  --dropout-every S    a silence every S seconds ...\n"
           "  --dropout-length S   ... lasting S seconds (1)\n"
           "  --click-every S      a full-scale click every S seconds\n"
           "  --truth-prefix P     also write the true line halves as P_A.png, P_B.png\n"
           "  --thermal-a SAT      channel A: known temperatures as SAT's sensor sends them\n"
           "  --thermal-b SAT      (with its telemetry; truth in P_A_kelvin.tif, P_B_kelvin.tif)\n"
           "  --thermal-range L:H  the scene's temperatures in kelvin (200:320)\n";
}

AptGenParse parseAptGenArguments(const std::vector<std::string>& args) {
    AptGenCommand c;
    c.generator.dropoutSeconds = 1.0;
    bool rateGiven = false;
    double level = 1.0;
    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> withValue = {
        {"--out", [&](const std::string& v) { c.outPath = v; return !v.empty(); }},
        {"--rate", [&](const std::string& v) { rateGiven = true; return parseInteger(v, c.generator.sampleRate); }},
        {"--iq-carrier", [&](const std::string& v) { return parseDouble(v, c.generator.carrierHz); }},
        {"--deviation", [&](const std::string& v) { return parseDouble(v, c.generator.deviationHz); }},
        {"--snr", [&](const std::string& v) {
             double d;
             if (!parseDouble(v, d)) return false;
             c.generator.snrDb = d;
             return true;
         }},
        {"--level", [&](const std::string& v) { return parseDouble(v, level) && level > 0.0; }},
        {"--ppm", [&](const std::string& v) { return parseDouble(v, c.generator.clockErrorPpm); }},
        {"--lines", [&](const std::string& v) { return parseInteger(v, c.generator.lines); }},
        {"--start-fraction", [&](const std::string& v) { return parseDouble(v, c.generator.startFraction); }},
        {"--first-line", [&](const std::string& v) { return parseInteger(v, c.generator.firstLineNumber); }},
        {"--seed", [&](const std::string& v) { return parseInteger(v, c.generator.seed); }},
        {"--picture-a", [&](const std::string& v) { c.pictureA = v; return !v.empty(); }},
        {"--picture-b", [&](const std::string& v) { c.pictureB = v; return !v.empty(); }},
        {"--pattern-a", [&](const std::string& v) { c.patternA = v; return makePattern(v, 1, 'A').has_value(); }},
        {"--pattern-b", [&](const std::string& v) { c.patternB = v; return makePattern(v, 1, 'B').has_value(); }},
        {"--sensor-a", [&](const std::string& v) { return parseInteger(v, c.sensorA) && c.sensorA >= 0 && c.sensorA <= kMaxSensor; }},
        {"--sensor-b", [&](const std::string& v) { return parseInteger(v, c.sensorB) && c.sensorB >= 0 && c.sensorB <= kMaxSensor; }},
        {"--sensor-a-after", [&](const std::string& v) { return parseSensorChange(v, c.sensorChange[0]); }},
        {"--sensor-b-after", [&](const std::string& v) { return parseSensorChange(v, c.sensorChange[1]); }},
        {"--dropout-every", [&](const std::string& v) { return parseDouble(v, c.generator.dropoutEverySeconds); }},
        {"--dropout-length", [&](const std::string& v) { return parseDouble(v, c.generator.dropoutSeconds); }},
        {"--click-every", [&](const std::string& v) { return parseDouble(v, c.generator.clickEverySeconds); }},
        {"--truth-prefix", [&](const std::string& v) { c.truthPrefix = v; return !v.empty(); }},
        {"--thermal-a", [&](const std::string& v) { c.thermalSatellite[0] = v; return !v.empty(); }},
        {"--thermal-b", [&](const std::string& v) { c.thermalSatellite[1] = v; return !v.empty(); }},
        {"--thermal-range", [&](const std::string& v) {
             const auto colon = v.find(':');
             return colon != std::string::npos && parseDouble(v.substr(0, colon), c.thermalLowK) &&
                    parseDouble(v.substr(colon + 1), c.thermalHighK) && c.thermalLowK > 0.0 &&
                    c.thermalHighK > c.thermalLowK;
         }},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        if (name == "--help" || name == "-h") {
            c.help = true;
            return {c, {}};
        }
        if (name == "--iq" || name == "--float") {
            if (inlineValue) return {std::nullopt, "option " + name + " takes no value"};
            if (name == "--iq") c.generator.kind = SignalKind::IQ;
            else c.format = SampleFormat::Float;
            continue;
        }
        const auto it = withValue.find(name);
        if (it == withValue.end()) return {std::nullopt, "unknown option " + args[i]};
        if (!inlineValue) {
            if (i + 1 >= args.size()) return {std::nullopt, "option " + name + " needs a value"};
            value = args[++i];
        }
        if (!it->second(value)) return {std::nullopt, "bad value for " + name + ": '" + value + "'"};
    }

    if (c.outPath.empty()) return {std::nullopt, "--out FILE is required"};
    if (c.generator.kind == SignalKind::IQ && !rateGiven) c.generator.sampleRate = 96000;
    // The noise is defined relative to the signal, so it scales along.
    if (c.generator.kind == SignalKind::IQ) c.generator.carrierAmplitude *= level;
    else c.generator.whiteAmplitude *= level;
    if (const std::string problem = validateGeneratorOptions(c.generator); !problem.empty())
        return {std::nullopt, problem};
    return {c, {}};
}

int runAptGen(const AptGenCommand& c, std::ostream& out, std::ostream& err) {
    if (c.help) {
        out << aptGenUsage();
        return 0;
    }
    // Built-in pictures fit the recording, up to the 2400 lines of a pass;
    // longer recordings repeat them.
    const int height = int(std::min<long>(c.generator.lines, 2400));
    GreyPicture pictures[2];
    const std::string* files[2] = {&c.pictureA, &c.pictureB};
    const std::string* patterns[2] = {&c.patternA, &c.patternB};
    for (int ch = 0; ch < 2; ++ch) {
        if (!files[ch]->empty()) {
            PictureLoad load = loadSourcePicture(*files[ch]);
            if (!load.picture) {
                err << "sorae-aptgen: " << load.error << "\n";
                return 1;
            }
            pictures[ch] = std::move(*load.picture);
        } else {
            pictures[ch] = *makePattern(*patterns[ch], height, ch == 0 ? 'A' : 'B');
        }
    }

    const int sensors[2] = {c.sensorA, c.sensorB};
    std::vector<double> scenes[2];
    for (int ch = 0; ch < 2; ++ch) {
        if (c.thermalSatellite[ch].empty()) continue;
        scenes[ch] = MakeThermalScene(height, c.thermalLowK, c.thermalHighK);
        std::string problem;
        auto picture = ThermalScenePicture(scenes[ch], kPictureColumns, height, c.thermalSatellite[ch],
                                           sensors[ch], DefaultThermalTelemetry(sensors[ch]), &problem);
        if (!picture) {
            err << "sorae-aptgen: " << problem << "\n";
            return 1;
        }
        pictures[ch] = std::move(*picture);
    }
    AptLineSource source(std::move(pictures[0]), std::move(pictures[1]), c.sensorA, c.sensorB);
    for (int ch = 0; ch < 2; ++ch)
        if (!scenes[ch].empty())
            ApplyThermalTelemetry(source, sensors[ch], DefaultThermalTelemetry(sensors[ch]));
    for (int ch = 0; ch < 2; ++ch)
        if (c.sensorChange[ch].fromLine >= 0)
            source.changeSensor(ch, c.sensorChange[ch].fromLine, c.sensorChange[ch].sensor);
    AptSignalGenerator generator(std::move(source), c.generator);
    const RecordingResult written = writeRecording(c.outPath, generator, c.format);
    if (!written.ok) {
        err << "sorae-aptgen: " << written.error << "\n";
        return 1;
    }
    out << "wrote " << c.outPath << ": " << written.frames << " frames, "
        << generator.channels() << " channel(s) at " << c.generator.sampleRate << " Hz, "
        << c.generator.lines << " lines\n";

    if (!c.truthPrefix.empty()) {
        const char* suffix[2] = {"_A.png", "_B.png"};
        for (int ch = 0; ch < 2; ++ch) {
            const std::string path = c.truthPrefix + suffix[ch];
            const GreyPicture truth = generator.source().truthPicture(ch, c.generator.firstLineNumber,
                                                                      int(c.generator.lines));
            if (const std::string problem = saveGreyPng(truth, path); !problem.empty()) {
                err << "sorae-aptgen: " << problem << "\n";
                return 1;
            }
            out << "wrote " << path << "\n";
            if (scenes[ch].empty()) continue;
            const std::string kelvinPath = c.truthPrefix + (ch == 0 ? "_A_kelvin.tif" : "_B_kelvin.tif");
            std::vector<float> kelvin(scenes[ch].begin(), scenes[ch].end());
            const TiffWriteResult tif = WriteFloatTiff(kelvinPath, kelvin, kPictureColumns, height);
            if (!tif.ok) {
                err << "sorae-aptgen: " << tif.error << "\n";
                return 1;
            }
            out << "wrote " << kelvinPath << "\n";
        }
    }
    return 0;
}

}  // namespace sorae::testsignal
