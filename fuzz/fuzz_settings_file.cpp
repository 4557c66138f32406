// Fuzz target: the settings file. Whatever the file holds, reading it gives
// settings, and saving those settings into the same document and reading the
// result again must change nothing more: the second save is the first one.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/settings_file.h"

namespace {

std::string loadAndSave(std::string_view text) {
    sorae::IniFile ini;
    ini.parse(text);
    const sorae::AppSettings settings = sorae::readSettings(ini);
    sorae::WindowPlacement placement;
    placement.top = settings.mainTop;
    placement.left = settings.mainLeft;
    placement.width = settings.mainWidth;
    placement.height = settings.mainHeight;
    placement.maximised = settings.mainMaximised;
    sorae::writeSettings(settings, placement, ini);
    return ini.toText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // A document that is only read and written keeps every byte.
    sorae::IniFile plain;
    plain.parse(text);
    const std::string once = plain.toText();
    sorae::IniFile again;
    again.parse(once);
    if (again.toText() != once) __builtin_trap();

    const std::string saved = loadAndSave(text);
    if (loadAndSave(saved) != saved) __builtin_trap();
    return 0;
}
