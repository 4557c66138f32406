// The main window's own state that the rest of the program reads: the
// program folder's paths, the satellite names and the reception list.
// Signal type, gain and the warm-up counter are held by the BlockHandler,
// the settings by AppSettings.
#pragma once

#include <array>
#include <string>

#include "app/program_folder.h"
#include "settings/app_settings.h"

namespace sorae {

struct MainWindowState {
    ProgramPaths paths;
    // Slot i is the satellite of the setting Sat/RecvSat<i>.
    std::array<std::string, 8> satelliteNames{"NOAA-11", "NOAA-12", "NOAA-14", "NOAA-15",
                                              "NOAA-16", "NOAA-17", "NOAA-18", "NOAA-19"};
    // Slot i = satellite name i when its reception is on, else empty.
    std::array<std::string, 8> receptionList{};

    void rebuildReceptionList(const AppSettings& settings) {
        for (std::size_t i = 0; i < receptionList.size(); ++i) {
            receptionList[i] = settings.recvSat[i] ? satelliteNames[i] : std::string();
        }
    }
};

}  // namespace sorae
