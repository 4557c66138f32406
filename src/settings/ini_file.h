// An INI document held in memory: sections of "key=value" lines, kept in the
// order they were read, together with comments and blank lines, so that a
// file read and written again loses nothing the program does not know about.
// Section and key names compare without regard to ASCII case, as the
// private-profile files this format comes from do.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorae {

class IniFile {
public:
    // Replaces the contents with the parsed text. Never fails: lines that are
    // neither section headers nor key lines are kept verbatim.
    void parse(std::string_view text);
    // The document as text, in the line-ending style of the parsed text
    // (LF, CR LF or bare CR; "\n" for a document that was built from nothing).
    std::string toText() const;

    // Reads the file at path. A missing file gives an empty document and true;
    // false only when the file exists but cannot be read.
    bool load(const std::string& path);
    // Writes the document to a temporary file beside path and renames it over
    // path, so that an interrupted save leaves the old file as it was.
    bool save(const std::string& path) const;

    // The value of key in section, trimmed of surrounding blanks; nullopt when
    // the key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Changes the key in place when it exists; otherwise appends it to the end
    // of its section, creating the section at the end of the document.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    bool empty() const { return lines_.empty(); }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        Kind kind = Kind::Other;
        std::string raw;      // the line as read or as last written
        std::string name;     // section name for Section, key for Key
        std::string value;    // Key only, trimmed
        std::string section;  // the section the line belongs to
    };

    int findKey(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    const char* eol_ = "\n";
    bool bom_ = false;
};

// Atomically replaces the file at path with contents: written to a temporary
// file in the same folder, flushed to disk and renamed over path. When path
// is a symbolic link, its final target is replaced that way instead (the
// temporary file then sits beside the target). On failure the old file is
// left untouched and the temporary file removed.
bool writeFileReplacing(const std::string& path, std::string_view contents);
// The file that writeFileReplacing(path, ...) replaces: path with its links
// followed.
std::string replacedFilePath(const std::string& path);
// The temporary file earlier versions wrote through; the temporaries of
// now have unique names (common/atomic_file.h). One left behind by a killed
// process is stale.
std::string temporaryPathForReplacing(const std::string& path);
// Removes those temporary files when it is older than any write could take
// (minimumAge), so that one another copy of the program is writing just now
// is spared. True when a file was removed.
bool removeStaleTemporaryFile(const std::string& path,
                              std::chrono::seconds minimumAge = std::chrono::seconds(60));

}  // namespace sorae
