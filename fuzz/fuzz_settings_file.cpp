// Fuzz target: the settings file. Whatever the file holds, reading it gives
// settings, and saving those settings into the same document and reading the
// result again must change nothing more: the second save is the first one
// (for files whose line ends are plain LF or CR LF).
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

// Whether every CR in the text starts a CR LF pair. A stray CR before a line
// end ("\r\r\n") is taken as part of the line in a document with LF ends,
// and each save then removes one of them: the file settles, but not at once.
bool plainLineEnds(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool plainEnds = plainLineEnds(text);

    // Reading and writing a document settles at once: a second round trip
    // changes nothing.
    sorae::IniFile plain;
    plain.parse(text);
    const std::string once = plain.toText();
    sorae::IniFile again;
    again.parse(once);
    if (plainEnds && again.toText() != once) __builtin_trap();

    const std::string saved = loadAndSave(text);
    if (plainEnds && loadAndSave(saved) != saved) __builtin_trap();
    return 0;
}
