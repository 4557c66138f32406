#include "orbit/all_passes_listing.h"

namespace sorae {

std::string FormatListedPassLine(const ListedPass& p, double maxElevDeg)
{
    return p.satellite + "\t" + FormatFixed(p.frequencyMHz, 4) + "\t" + FormatDateTime(p.start) + "\t" +
           FormatFixed(p.startAzimuthDeg, 1) + "\t" + FormatDateTime(p.culmination) + "\t" +
           FormatFixed(p.culminationAzimuthDeg, 1) + "\t" + FormatDateTime(p.end) + "\t" +
           FormatFixed(p.endAzimuthDeg, 1) + "\t" + FormatFixed(p.maximumElevationDeg, 1) + "\t" +
           DirectionText(p.direction) + "\t" + PassChoiceText(p, maxElevDeg);
}

std::string FormatAllPassesListing(const PassList& list, double maxElevDeg)
{
    std::string out;
    for (const ListedPass& p : list.passes)
        out += FormatListedPassLine(p, maxElevDeg) + "\n";
    return out;
}

}  // namespace sorae
