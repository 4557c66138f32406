#include "orbit/all_passes.h"

#include "orbit/pass_step_detector.h"
#include "orbit/satellite_search.h"
#include "orbit/sky_track.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

namespace sorae {

namespace {

constexpr double kStationOffsetDays = 9.0 / 24.0;

DayTime stationTimeOf(const UtcInstant& now)
{
    return DayTime{EncodeDayTime(now.year, now.month, now.day, now.hour, now.minute, now.second).days +
                   kStationOffsetDays};
}

// A pass already under way at the window's start begins there, with the
// peak of its remaining part only. Its own acquisition (and culmination,
// when that lay before the start) are found by looking back second by
// second while it stays above the detection elevation, so that the pass
// keeps its times however often the list is made.
PassInfo wholePassUnderWay(PassInfo pass, const OrbitalElements& prepared, const PassRequest& request,
                           const StationSite& station)
{
    const double second = 1.0 / 86400.0;
    const DayTime from = pass.start;
    for (int k = 1; k <= 1800; ++k) {
        const DayTime t{from.days - k * second};
        const double elevation = LookAt(prepared, station, t).elevationDeg;
        if (elevation < request.settings.minElevDeg)
            break;
        pass.start = t;
        if (elevation >= pass.maximumElevationDeg) {
            pass.maximumElevationDeg = elevation;
            pass.timeOfMaximum = t;
        }
    }
    return pass;
}

// Every recorded pass of one set, with a detector of its own (the sets are
// walked side by side). Every culmination counts. The detector's slots grow
// as it goes: it may write the pass being built and the one after it in a
// single step.
std::vector<PassInfo> walkAllPasses(const OrbitalElements& prepared, const PassRequest& request, int days,
                                    const StationSite& station)
{
    PassStepDetector detector(request.settings.minElevDeg, -std::numeric_limits<double>::infinity());
    detector.resetForComputation();
    detector.resetForSatellite();
    std::vector<PassInfo> slots(4);
    WalkSatellite(prepared, request.now, days, detector.minElevationDeg(), station, request.skipUnreachableSeconds,
                  [&](const SearchSecond& s) {
                      if (slots.size() < static_cast<std::size_t>(detector.passCount()) + 2)
                          slots.resize(slots.size() * 2);
                      detector.stepInto(slots.data(), std::numeric_limits<int>::max(), prepared.name, s.point,
                                        s.elevationDeg, s.date.year, s.date.month, s.date.day, s.utHours);
                      return false;
                  });
    slots.resize(static_cast<std::size_t>(detector.passCount()));
    const bool damaged = std::any_of(slots.begin(), slots.end(), PassIsImplausible);
    if (damaged)
        slots.clear();
    const DayTime windowStart = stationTimeOf(request.now);
    if (!slots.empty() && slots.front().start.days <= windowStart.days + 1.5 / 86400.0)
        slots.front() = wholePassUnderWay(slots.front(), prepared, request, station);
    return slots;
}

ListedPass listed(const PassInfo& p, const OrbitalElements& prepared, const StationSite& station, int setIndex)
{
    ListedPass l;
    l.satellite = p.satellite;
    l.frequencyMHz = SatelliteFrequencyMHz(p.satellite);
    l.start = p.start;
    l.culmination = p.timeOfMaximum;
    l.end = p.end;
    l.startAzimuthDeg = LookAt(prepared, station, p.start).azimuthDeg;
    l.culminationAzimuthDeg = LookAt(prepared, station, p.timeOfMaximum).azimuthDeg;
    l.endAzimuthDeg = LookAt(prepared, station, p.end).azimuthDeg;
    l.maximumElevationDeg = p.maximumElevationDeg;
    l.direction = p.direction;
    l.setIndex = setIndex;
    return l;
}

bool sameSatellitePass(const ListedPass& l, const PassInfo& p)
{
    return l.satellite == p.satellite && p.start <= l.end && l.start <= p.end;
}

}  // namespace

PassList ListAllPasses(const PassRequest& request, int days)
{
    PassList list;
    days = std::clamp(days, 1, kMaxListDays);
    list.windowStart = stationTimeOf(request.now);
    list.windowEnd = DayTime{list.windowStart.days + days};
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, request.elementFilePath) != 0)
        return list;
    list.ok = true;

    const StationSite station = StationSite::at(request.settings.stationLatDeg, request.settings.stationLonDeg);
    for (const ChosenSet& chosen : ChooseSelectedSets(sets, count, request.receptionList))
        list.elements.push_back(sets[static_cast<std::size_t>(chosen.index)]);

    // One set per worker at a time; the results keep the file order.
    std::vector<std::vector<PassInfo>> found(list.elements.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t k = next++; k < found.size(); k = next++)
            found[k] = walkAllPasses(list.elements[k], request, days, station);
    };
    const std::size_t workers =
        std::min<std::size_t>(found.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();

    for (std::size_t k = 0; k < found.size(); ++k) {
        for (const PassInfo& p : found[k])
            list.passes.push_back(listed(p, list.elements[k], station, static_cast<int>(k)));
    }
    list.satelliteCount = static_cast<int>(list.elements.size());
    std::stable_sort(list.passes.begin(), list.passes.end(),
                     [](const ListedPass& a, const ListedPass& b) { return a.start < b.start; });
    return list;
}

void MarkTableChoice(PassList& list, const TableChoice& choice)
{
    const int slots = choice.table ? std::min(2 * choice.satelliteCount, kPassSlots) : 0;
    for (ListedPass& l : list.passes) {
        l.tableSlot = -1;
        l.givenWayTo.clear();
        if (choice.table == nullptr) {
            l.choice = PassChoice::Undecided;
            continue;
        }
        for (int k = 0; k < slots && l.tableSlot < 0; ++k) {
            if (sameSatellitePass(l, (*choice.table)[static_cast<std::size_t>(k)]))
                l.tableSlot = k;
        }
        if (l.tableSlot >= 0) {
            // The overlap rule leaves the set-aside pass in slot 1 and
            // remembers its end.
            const PassTable& table = *choice.table;
            if (l.tableSlot == 1 && choice.skippedPassEnd == table[1].end) {
                l.choice = PassChoice::SetAside;
                l.givenWayTo = table[0].satellite;
            } else {
                l.choice = PassChoice::Received;
            }
        } else if (l.maximumElevationDeg < choice.maxElevDeg) {
            l.choice = PassChoice::BelowMaxElev;
        } else if (choice.tableWindowEnd < l.end) {
            l.choice = PassChoice::BeyondDay;
        } else {
            l.choice = PassChoice::BeyondTable;
        }
    }
}

PassList ListPassesWithTableChoice(const PassRequest& request, int days)
{
    PassList list = ListAllPasses(request, days);
    if (!list.ok)
        return list;
    PassMemory memory;
    const PassComputation table = ComputePasses(request, memory);
    TableChoice choice;
    choice.table = &table.table;
    choice.satelliteCount = table.satelliteCount;
    choice.skippedPassEnd = memory.skippedPassEnd;
    choice.tableWindowEnd = DayTime{list.windowStart.days + 1.0};
    choice.maxElevDeg = request.settings.maxElevDeg;
    MarkTableChoice(list, choice);
    return list;
}

std::string PassChoiceText(const ListedPass& pass, double maxElevDeg)
{
    switch (pass.choice) {
    case PassChoice::Received:
        return "自動受信";
    case PassChoice::SetAside:
        return "重複 (" + pass.givenWayTo + " を優先)";
    case PassChoice::BelowMaxElev:
        return "最大仰角 " + FormatFixed(maxElevDeg, 1) + "° 未満";
    case PassChoice::BeyondTable:
        return "次回以降の計算で判定";
    case PassChoice::BeyondDay:
        return "24時間以降 (次回以降の計算で判定)";
    case PassChoice::Undecided:
        break;
    }
    return "未計算";
}

}  // namespace sorae
