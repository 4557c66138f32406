// Reading and writing AppSettings from and to the program's INI file
// (sorae-apt.ini in the program folder). Every key is read in a fixed order
// and falls back to its default when missing or unreadable; saving writes
// every key in a fixed order and keeps sections and keys the program does not
// know. The file is read once at start-up and written once at shutdown.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/app_settings.h"
#include "settings/ini_file.h"

namespace sorae {

// Where the main window is and whether it is maximised, as the window
// reports it at shutdown.
struct WindowPlacement {
    int top = 0;
    int left = 0;
    int width = 1062;
    int height = 726;
    bool maximised = false;
};

// Fills settings from ini, key by key; every absent or unreadable key keeps
// its default.
AppSettings readSettings(const IniFile& ini);
// Writes every key into ini in the save order. The geometry keys come from
// placement when the window is not maximised; when it is, the geometry that
// was loaded (held in settings) is written back unchanged with MainMaxmum 1.
void writeSettings(const AppSettings& settings, const WindowPlacement& placement, IniFile& ini);

// Reads the file at path; a missing or unreadable file gives the defaults.
AppSettings loadSettingsFile(const std::string& path);
// Merges the settings into the file at path (keeping unknown keys) and
// replaces it atomically. False when the file could not be written; the old
// file is then unchanged.
bool saveSettingsFile(const std::string& path, const AppSettings& settings,
                      const WindowPlacement& placement);

// Value encodings of the file.
std::optional<int> parseIniInt(std::string_view text);
std::optional<double> parseIniFloat(std::string_view text);
// Six hexadecimal digits, the colour value 0x00BBGGRR written high byte first.
std::optional<ColourValue> parseIniColour(std::string_view text);
std::string formatIniFloat(double value);
std::string formatIniColour(ColourValue colour);

}  // namespace sorae
