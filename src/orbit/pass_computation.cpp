#include "orbit/pass_computation.h"

#include "orbit/look_angles.h"
#include "orbit/orbital_elements.h"
#include "orbit/satellite_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sorae {

namespace {

// Steps one satellite through the day until its second pass is recorded.
void searchSatellite(const OrbitalElements& prepared, int slotPair, const PassRequest& request,
                     const StationSite& station, PassTable& table, PassStepDetector& detector)
{
    WalkSatellite(prepared, request.now, 1, detector.minElevationDeg(), station, request.skipUnreachableSeconds,
                  [&](const SearchSecond& s) {
                      return detector.step(table, slotPair, prepared.name, s.point, s.elevationDeg, s.date.year,
                                           s.date.month, s.date.day, s.utHours);
                  });
}

bool hasOverlongPass(const PassTable& table, int slotPair, int passCount)
{
    for (int p = 0; p < passCount; ++p) {
        const PassInfo& pass = table[static_cast<std::size_t>(2 * slotPair + p)];
        if (PassIsImplausible(pass))
            return true;
    }
    return false;
}

}  // namespace

ReceptionList MakeReceptionList(const std::array<bool, 8>& selected)
{
    ReceptionList list;
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i] = selected[i] ? kSelectableSatellites[i] : "";
    return list;
}

PassComputation ComputePasses(const PassRequest& request, PassMemory& memory)
{
    PassComputation result;
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, request.elementFilePath) != 0) {
        result.table = memory.table;
        result.satelliteCount = memory.satelliteCount;
        return result;
    }

    PassStepDetector& detector = memory.detector;
    detector.setThresholds(request.settings.minElevDeg, request.settings.maxElevDeg);
    detector.resetForComputation();
    const StationSite station = StationSite::at(request.settings.stationLatDeg, request.settings.stationLonDeg);
    const long today = JulianDayNumber(request.now.year, request.now.month, request.now.day);
    const double nowDay = static_cast<double>(today) +
                          (request.now.hour * 3600.0 + request.now.minute * 60.0 + request.now.second) / 86400.0;

    const std::vector<ChosenSet> chosen = ChooseSelectedSets(sets, count, request.receptionList);
    double newestEpochDay = 0.0;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        OrbitalElements& el = sets[static_cast<std::size_t>(chosen[k].index)];
        const int slotPair = static_cast<int>(k);
        detector.resetForSatellite();

        result.progressTexts.push_back(std::string(kComputingPassesText) +
                                       std::to_string(chosen[k].index * 100 / count) + "%");
        if (request.progress)
            request.progress(result.progressTexts.back());
        const EpochDate epoch = EpochToCalendar(el.epoch);
        const long epochDay = JulianDayNumber(epoch.date.year, epoch.date.month, epoch.date.day);
        if (std::labs(today - epochDay) >= request.settings.updateDays)
            result.elementsOld = true;
        newestEpochDay = k == 0 ? chosen[k].epochDay : std::max(newestEpochDay, chosen[k].epochDay);

        searchSatellite(el, slotPair, request, station, memory.table, detector);
        // A satellite with fewer than two passes in the window: its free slots
        // would otherwise keep a pass of an earlier day, or a zero start that
        // sorts first, and the scheduler would take it for the next pass.
        // A set whose "pass" lasts longer than any real one (a damaged drag
        // term holding the satellite over the station) gives no passes at all.
        const bool damaged = hasOverlongPass(memory.table, slotPair, detector.passCount());
        for (int p = damaged ? 0 : detector.passCount(); p < 2; ++p)
            memory.table[static_cast<std::size_t>(2 * slotPair + p)] = PassInfo{};
    }
    const int n = static_cast<int>(chosen.size());
    if (n > 0)
        result.elementAgeDays = nowDay - newestEpochDay;
    PassTable& table = memory.table;
    SortPassesByStart(table, n);
    ApplyOverlapRule(table, memory.skippedPassEnd, request.settings.sortElev, request.settings.sortNext);
    AssignFrequencies(table, n);
    if (n > 0)
        memory.satelliteCount = n;

    result.ok = true;
    result.satelliteCount = n;
    result.table = table;
    result.nextPassText = NextPassText(table[0]);
    if (request.globeCentreLongitudeDeg) {
        const double lonDeg = table[0].longitudeAtMaximumRad * 180.0 * (1.0 / 3.141592653589793);
        result.globeRedrawNeeded = lonDeg != *request.globeCentreLongitudeDeg;
    }
    return result;
}

PassComputation ComputePasses(const PassRequest& request)
{
    PassMemory memory;
    return ComputePasses(request, memory);
}

bool ElementAgeOverLimit(double ageDays, int limitDays)
{
    return std::fabs(ageDays) > limitDays;
}

std::string ElementAgeText(double ageDays, int limitDays)
{
    // An epoch ahead of the clock (a wrong clock, predicted elements).
    const std::string age =
        ageDays < 0.0 ? "元期まで" + FormatFixed(-ageDays, 1) + "日" : FormatFixed(ageDays, 1) + "日前";
    if (!ElementAgeOverLimit(ageDays, limitDays))
        return "軌道要素 " + age;
    return "警告: 軌道要素が古すぎます (" + age + ", 期限" + std::to_string(limitDays) + "日)";
}

std::string ElementAgeShortText(double ageDays)
{
    const bool whole = std::fabs(ageDays) >= 100.0;
    return "要素" + FormatFixed(ageDays, whole ? 0 : 1) + "日";
}

OldElementsAction DecideOldElements(bool elementsOld, int startupCountdown, bool autoUpdate)
{
    if (!elementsOld)
        return OldElementsAction::None;
    if (startupCountdown == -1)
        return OldElementsAction::AskToDownload;
    return autoUpdate ? OldElementsAction::DownloadAndRecompute : OldElementsAction::ShowNotNew;
}

}  // namespace sorae
