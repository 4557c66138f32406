#include "settings/ini_file.h"

#include "common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sorae {

namespace {

std::string_view trim(std::string_view s) {
    // A stray carriage return (CR CR LF line ends) counts as a blank.
    const char* blanks = " \t\r";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

void IniFile::parse(std::string_view text) {
    lines_.clear();
    eol_ = "\n";
    // A byte-order mark, as some editors write, is kept but not read as text.
    bom_ = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom_) text.remove_prefix(3);
    // Lines end in LF or CR LF; a file without any LF ends them in bare CR
    // (as old Macintosh editors write), and is written back that way.
    const char separator = text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos
                               ? '\r'
                               : '\n';
    if (separator == '\r') eol_ = "\r";
    std::string current;
    bool firstLine = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find(separator, pos);
        std::string_view raw = text.substr(pos, end == std::string_view::npos ? text.size() - pos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (separator == '\n' && !raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            if (firstLine) eol_ = "\r\n";
        }
        firstLine = false;

        Line line;
        line.raw = std::string(raw);
        const auto t = trim(raw);
        if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string_view::npos) {
            line.kind = Kind::Section;
            current = std::string(trim(t.substr(1, t.find(']') - 1)));
            line.name = current;
        } else if (!t.empty() && t.front() != ';' && t.front() != '#' &&
                   t.find('=') != std::string_view::npos) {
            line.kind = Kind::Key;
            const auto eq = t.find('=');
            line.name = std::string(trim(t.substr(0, eq)));
            line.value = std::string(trim(t.substr(eq + 1)));
        }
        line.section = current;
        lines_.push_back(std::move(line));
    }
}

std::string IniFile::toText() const {
    const char* eol = eol_;
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    for (const auto& line : lines_) {
        out += line.raw;
        out += eol;
    }
    return out;
}

bool IniFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
            lines_.clear();
            bom_ = false;
            eol_ = "\n";
            return true;
        }
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return false;
    }
    parse(text.str());
    return true;
}

bool IniFile::save(const std::string& path) const {
    return writeFileReplacing(path, toText());
}

int IniFile::findKey(std::string_view section, std::string_view key) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto& line = lines_[i];
        if (line.kind == Kind::Key && sameName(line.section, section) && sameName(line.name, key)) {
            return int(i);
        }
    }
    return -1;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const int i = findKey(section, key);
    if (i < 0) {
        return std::nullopt;
    }
    return lines_[i].value;
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    const int i = findKey(section, key);
    if (i >= 0) {
        auto& line = lines_[i];
        if (line.value != value) {
            line.value = std::string(value);
            line.raw = line.name + "=" + line.value;
        }
        return;
    }
    Line line;
    line.kind = Kind::Key;
    line.name = std::string(key);
    line.value = std::string(value);
    line.raw = line.name + "=" + line.value;

    // After the last key line of the section, or the header when it has none.
    int insertAt = -1;
    std::string sectionName;
    for (std::size_t j = 0; j < lines_.size(); ++j) {
        const auto& l = lines_[j];
        if (l.kind == Kind::Section && sameName(l.name, section)) {
            insertAt = int(j) + 1;
            sectionName = l.name;
        } else if (l.kind == Kind::Key && sameName(l.section, section)) {
            insertAt = int(j) + 1;
        }
    }
    if (insertAt < 0) {
        Line header;
        header.kind = Kind::Section;
        header.name = std::string(section);
        header.raw = "[" + header.name + "]";
        header.section = header.name;
        lines_.push_back(header);
        line.section = header.name;
        lines_.push_back(std::move(line));
        return;
    }
    line.section = sectionName;
    lines_.insert(lines_.begin() + insertAt, std::move(line));
}

std::string replacedFilePath(const std::string& path) {
    // A settings file kept elsewhere and linked into the program folder is
    // updated where it lives; the link stays a link. Links are followed one
    // by one (also to a target that does not exist yet), at most 40 deep as
    // the kernel does.
    namespace fs = std::filesystem;
    fs::path p(path);
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) break;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.lexically_normal().string();
}

std::string temporaryPathForReplacing(const std::string& path) { return replacedFilePath(path) + ".tmp"; }

bool removeStaleTemporaryFile(const std::string& path, std::chrono::seconds minimumAge) {
    namespace fs = std::filesystem;
    // The fixed name earlier versions wrote through, and the unique ones of now.
    bool removed = RemoveStaleTemporaries(replacedFilePath(path), minimumAge) > 0;
    const fs::path temp = temporaryPathForReplacing(path);
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(temp, ec))) return removed;
    const auto written = fs::last_write_time(temp, ec);
    if (ec || fs::file_time_type::clock::now() - written < minimumAge) return removed;
    return fs::remove(temp, ec) || removed;
}

bool writeFileReplacing(const std::string& path, std::string_view contents) {
    return WriteFileAtomically(replacedFilePath(path), contents).ok;
}

}  // namespace sorae
