#include "imaging/picture_pair_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "common/atomic_file.h"
#include "imaging/picture_naming.h"

namespace sorae {

namespace {

constexpr int kMostOccurrences = 999;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

PicturePairFiles SavePicturePairWithoutReplacing(const std::string& picsFolder, const std::string& stamp,
                                                 const std::string& satellitePart,
                                                 const std::array<const std::vector<unsigned char>*, 2>& jpegBytes,
                                                 int firstOccurrence) {
    PicturePairFiles out;
    const int first = std::max(firstOccurrence, 1);
    std::array<std::unique_ptr<AtomicFileWriter>, 2> writers;
    for (int c = 0; c < 2; ++c) {
        const std::vector<unsigned char>* bytes = jpegBytes[std::size_t(c)];
        if (!bytes || bytes->empty()) continue;
        const std::string path = PictureFilePath(picsFolder, stamp, satellitePart, c, first);
        auto writer = std::make_unique<AtomicFileWriter>(path);
        if (!writer->open() || !writer->write(bytes->data(), bytes->size())) {
            out.errors.push_back(path + ": " + writer->error());
            continue;
        }
        writers[std::size_t(c)] = std::move(writer);
    }
    if (!writers[0] && !writers[1]) return out;

    // Where each channel's file lies once it has a name.
    std::array<std::string, 2> named;
    for (int n = first; n <= kMostOccurrences; ++n) {
        const std::array<std::string, 2> paths{PictureFilePath(picsFolder, stamp, satellitePart, 0, n),
                                               PictureFilePath(picsFolder, stamp, satellitePart, 1, n)};
        // Either name of the pair already there (an earlier pass, or half
        // of one) takes the whole number.
        bool free = true;
        for (int c = 0; c < 2; ++c)
            if (named[std::size_t(c)] != paths[std::size_t(c)] && exists(paths[std::size_t(c)])) free = false;
        if (!free) continue;
        bool clash = false;
        for (int c = 0; c < 2 && !clash; ++c) {
            const std::string& path = paths[std::size_t(c)];
            std::string& done = named[std::size_t(c)];
            if (done == path) continue;
            if (!done.empty()) {
                // The other channel had to move on (a name taken meanwhile):
                // this one follows it.
                if (RenameWithoutReplacing(done, path)) done = path;
                else if (errno == EEXIST) clash = true;
                else out.errors.push_back(done + ": " + std::strerror(errno));
                continue;
            }
            AtomicFileWriter* writer = writers[std::size_t(c)].get();
            if (!writer) continue;
            bool taken = false;
            const FileWriteResult result = writer->commitNew(path, &taken);
            if (result.ok) {
                done = path;
            } else if (taken) {
                clash = true;  // appeared meanwhile: another program's pass
            } else {
                out.errors.push_back(path + ": " + result.error);
                writers[std::size_t(c)].reset();
            }
        }
        if (clash) continue;
        out.occurrence = n;
        for (const std::string& path : named)
            if (!path.empty()) out.written.push_back(path);
        return out;
    }
    for (int c = 0; c < 2; ++c) {
        if (!named[std::size_t(c)].empty()) out.written.push_back(named[std::size_t(c)]);
        else if (writers[std::size_t(c)])
            out.errors.push_back(PictureFilePath(picsFolder, stamp, satellitePart, c, first) +
                                 ": " + std::strerror(EEXIST));
    }
    return out;
}

}  // namespace sorae
