// One NORAD element set as read from the element file, and the steps that
// make it ready for the propagator: unit conversion, the short satellite
// name used in the satellite lists, and the near-earth check.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace sorae {

struct OrbitalElements {
    std::string name;  // at most 24 characters; normalised by NormaliseSatelliteName
    double epoch = 0.0;              // YYDDD.DDDDDDDD, UTC
    double eccentricity = 0.0;
    double meanMotion = 0.0;         // rev/day as read, rad/min when prepared
    double meanMotionFirstTerm = 0.0;   // ndot/2: rev/day^2 as read, rad/min^2 when prepared
    double meanMotionSecondTerm = 0.0;  // nddot/6: rev/day^3 as read, rad/min^3 when prepared
    double meanAnomaly = 0.0;        // degrees as read, radians when prepared
    double inclination = 0.0;
    double rightAscensionOfNode = 0.0;
    double argumentOfPerigee = 0.0;
    double dragTerm = 0.0;           // B*, per earth radius; not used by SGP
    int catalogNumber = 0;           // NORAD number of line 1; 0 when not a number
};

inline constexpr int kMaxElementSets = 32;
using ElementSetArray = std::array<OrbitalElements, kMaxElementSets>;

// Reads up to 32 sets, three lines each; blank lines between sets and a
// UTF-8 byte-order mark at the start are passed over, and so are sets that
// IsUsableElementSet refuses. Returns 0 on success, -1 on failure.
// `count` is left alone when the file cannot be opened; otherwise it holds the
// number of complete sets stored, also after a failure.
int ReadElementFile(ElementSetArray& sets, int& count, const std::string& path);

// The same without a limit: every usable set of the file (archives hold
// hundreds). *refused, when given, counts the sets passed over. Archive
// downloads come in two more forms, which this reader also takes: sets
// without a name line (named from the catalog number: "NOAA 19" for a NOAA
// satellite that sent APT, else the number itself), and name lines that
// begin with "0 ".
int ReadAllElementSets(std::vector<OrbitalElements>& sets, const std::string& path,
                       int* refused = nullptr);

// A set as read whose every value is a number and whose epoch fits its
// field (a damaged "nan", "inf" or "88888888888888" epoch does not).
bool IsUsableElementSet(const OrbitalElements& asRead);

// Empty or only blanks.
bool IsBlankElementLine(const std::string& line);
inline constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// Parses one set from its three lines (used by the reader; handy for tests).
void ParseElementLines(OrbitalElements& out, const std::string& nameLine,
                       const std::string& line1, const std::string& line2);

void PrepareElements(OrbitalElements& elements);
void NormaliseSatelliteName(OrbitalElements& elements);
std::string NormalisedSatelliteName(const std::string& name);

// Period below 225 minutes: the simplified model holds.
bool IsNearEarth(const OrbitalElements& prepared);

}  // namespace sorae
