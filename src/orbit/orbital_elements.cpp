#include "orbit/orbital_elements.h"

#include "orbit/apt_satellites.h"
#include "orbit/sgp_propagator.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sorae {

namespace {

// The five columns of a catalog number, blanks before it allowed; 0 for
// anything else (the newer letter-led numbers included).
int catalogNumber(const std::string& field)
{
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos)
        return 0;
    int number = 0;
    const auto read = std::from_chars(field.data() + first, field.data() + field.size(), number);
    return read.ec == std::errc{} && read.ptr == field.data() + field.size() ? number : 0;
}

constexpr int kReadLimit = 254;  // characters per line read
constexpr std::size_t kNameLength = 24;
constexpr std::size_t kLineLength = 69;

// The text between 1-based columns first..last; columns past the line's end
// read as blank.
std::string columns(const std::string& line, std::size_t first, std::size_t last)
{
    std::string out(last - first + 1, ' ');
    for (std::size_t c = first; c <= last; ++c) {
        if (c - 1 < line.size())
            out[c - first] = line[c - 1];
    }
    return out;
}

// Decimal conversion of the leading number of a text, 0 when there is none.
// Independent of the process locale.
double toNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] == '+' || text[i] == '-')
        return 0.0;
    double value = 0.0;
    const char* begin = text.data() + i;
    const auto result = std::from_chars(begin, text.data() + text.size(), value);
    if (result.ec != std::errc{})
        return 0.0;
    return negative ? -value : value;
}

// A field like "-12345-4" starting at `signColumn`: sign, five digits with an
// implied leading point, then a signed exponent digit. The sign moves one column
// left and a point takes its place, so the mantissa reads as "-.12345".
double impliedPointField(const std::string& line, std::size_t signColumn)
{
    std::string mantissa = columns(line, signColumn - 1, signColumn + 5);
    mantissa[0] = mantissa[1];
    mantissa[1] = '.';
    const double m = toNumber(mantissa);
    const double exponent = toNumber(columns(line, signColumn + 6, signColumn + 7));
    return m * std::pow(10.0, exponent);
}

std::string cut(const std::string& text, std::size_t length)
{
    return text.size() > length ? text.substr(0, length) : text;
}

void dropLineEnd(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
}

// One read of at most kReadLimit characters; false at end of file or on error.
bool readLine(std::FILE* file, std::string& out)
{
    char buffer[kReadLimit + 1];
    if (std::fgets(buffer, sizeof buffer, file) == nullptr)
        return false;
    out.assign(buffer);
    dropLineEnd(out);
    return true;
}

}  // namespace

void ParseElementLines(OrbitalElements& out, const std::string& nameLine,
                       const std::string& line1In, const std::string& line2In)
{
    std::string name = cut(nameLine, kNameLength);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    out.name = name;

    const std::string line1 = cut(line1In, kLineLength);
    out.catalogNumber = catalogNumber(columns(line1, 3, 7));
    out.dragTerm = impliedPointField(line1, 54);
    out.meanMotionSecondTerm = impliedPointField(line1, 45);
    out.meanMotionFirstTerm = toNumber(columns(line1, 34, 43));
    out.epoch = toNumber(columns(line1, 19, 32));

    const std::string line2 = cut(line2In, kLineLength);
    out.meanMotion = toNumber(columns(line2, 53, 63));
    out.meanAnomaly = toNumber(columns(line2, 44, 51));
    out.argumentOfPerigee = toNumber(columns(line2, 35, 42));
    std::string eccentricity = columns(line2, 26, 33);
    eccentricity[0] = '.';
    out.eccentricity = toNumber(eccentricity);
    out.rightAscensionOfNode = toNumber(columns(line2, 18, 25));
    out.inclination = toNumber(columns(line2, 9, 16));
}

namespace {

// Line 1 of a set: "1 33591U 09005A   19141.91882525 ...", its epoch's
// point in column 24.
bool looksLikeFirstElementLine(const std::string& line)
{
    return line.size() >= 64 && line.compare(0, 2, "1 ") == 0 && line[23] == '.';
}

// The name of a set read without a name line.
std::string nameOfCatalogNumber(const std::string& line1)
{
    if (const auto satellite = AptSatelliteOfCatalogNumber(catalogNumber(columns(line1, 3, 7)))) {
        std::string name = *satellite;  // "NOAA-19" as the files spell it: "NOAA 19"
        name[name.find('-')] = ' ';
        return name;
    }
    return columns(line1, 3, 7);
}

// Reads three-line sets until the end of the file or `limit` usable sets,
// handing each usable one to `store`. Sets with a value that is not a
// number or an epoch that is no date are passed over. With `archiveForms`,
// also two-line sets and "0 "-prefixed name lines.
template <typename Store>
int readSets(std::FILE* file, std::size_t limit, Store store, int* refused, bool archiveForms = false)
{
    std::size_t stored = 0;
    int status = 0;
    bool firstLine = true;
    std::string nameLine, line1, line2;
    OrbitalElements set;
    while (stored < limit) {
        // Blank lines between sets (or before the first, or after the last)
        // are passed over; inside a set they make the file unreadable.
        bool gotName = false;
        while ((gotName = readLine(file, nameLine)) && IsBlankElementLine(nameLine))
            firstLine = false;
        if (!gotName) {
            status = std::feof(file) ? 0 : -1;
            break;
        }
        if (firstLine && nameLine.rfind(kByteOrderMark, 0) == 0)
            nameLine.erase(0, std::char_traits<char>::length(kByteOrderMark));
        firstLine = false;
        const bool nameless = archiveForms && looksLikeFirstElementLine(nameLine);
        if (nameless) {
            line1 = nameLine;
            nameLine = nameOfCatalogNumber(line1);
        } else if (archiveForms && nameLine.compare(0, 2, "0 ") == 0) {
            nameLine.erase(0, 2);
        }
        if ((!nameless && !readLine(file, line1)) || !readLine(file, line2)) {
            status = -1;
            break;
        }
        ParseElementLines(set, nameLine, line1, line2);
        if (!IsUsableElementSet(set)) {
            if (refused != nullptr)
                ++*refused;
            continue;
        }
        store(set);
        ++stored;
    }
    return status;
}

}  // namespace

int ReadElementFile(ElementSetArray& sets, int& count, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return -1;
    count = 0;
    const int status = readSets(file, kMaxElementSets, [&](const OrbitalElements& set) {
        sets[static_cast<std::size_t>(count++)] = set;
    }, nullptr);
    std::fclose(file);
    return status;
}

int ReadAllElementSets(std::vector<OrbitalElements>& sets, const std::string& path, int* refused)
{
    sets.clear();
    if (refused != nullptr)
        *refused = 0;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return -1;
    const int status = readSets(file, std::numeric_limits<std::size_t>::max(),
                                [&](const OrbitalElements& set) { sets.push_back(set); }, refused, true);
    std::fclose(file);
    return status;
}

bool IsUsableElementSet(const OrbitalElements& asRead)
{
    for (double v : {asRead.epoch, asRead.eccentricity, asRead.meanMotion, asRead.meanMotionFirstTerm,
                     asRead.meanMotionSecondTerm, asRead.meanAnomaly, asRead.inclination,
                     asRead.rightAscensionOfNode, asRead.argumentOfPerigee, asRead.dragTerm})
        if (!std::isfinite(v))
            return false;
    // YYDDD.DDDDDDDD has five digits before the point. A set whose fields
    // read as nothing (0) is kept, as the reader always kept it; the orbit
    // code that needs a real date checks the day itself.
    return asRead.epoch >= 0.0 && asRead.epoch < 100000.0;
}

bool IsBlankElementLine(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

void PrepareElements(OrbitalElements& e)
{
    constexpr double kRevPerDayToRadPerMin = 0.004363323129985824;  // pi/720
    constexpr double kDegToRad = 3.141592653589793 / 180.0;
    e.meanMotion *= kRevPerDayToRadPerMin;
    e.meanMotionFirstTerm *= kRevPerDayToRadPerMin / 1440.0;
    e.meanMotionSecondTerm *= kRevPerDayToRadPerMin / (1440.0 * 1440.0);
    e.meanAnomaly *= kDegToRad;
    e.inclination *= kDegToRad;
    e.rightAscensionOfNode *= kDegToRad;
    e.argumentOfPerigee *= kDegToRad;
}

std::string NormalisedSatelliteName(const std::string& name)
{
    std::string n = cut(name, 7);
    if (n.size() >= 7 && n[6] == ' ')
        n.resize(6);
    if (n.size() >= 5 && n[4] == ' ')
        n[4] = '-';
    if (n.size() >= 6 && n[5] == ' ')
        n[5] = '-';
    return n;
}

void NormaliseSatelliteName(OrbitalElements& elements)
{
    elements.name = NormalisedSatelliteName(elements.name);
}

bool IsNearEarth(const OrbitalElements& prepared)
{
    return OrbitalPeriod(prepared) < 225.0;
}

}  // namespace sorae
