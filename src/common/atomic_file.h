// Writing a file so that whoever reads it sees either the old file or the
// complete new one, never a half-written or emptied file. The data goes to a
// temporary file of a unique name in the target's folder (so that several
// programs writing the same name never share one); every write, the flush
// to the disk (fsync) and the close are checked, and only then is the
// temporary given the target's name. On any failure the temporary is
// removed and the old file stays as it was.
//
// WriteFileAtomically() is the whole of it for data held in memory;
// AtomicFileWriter is for data written piece by piece or by a library that
// writes to a file descriptor (give such a library dup(fd()) when it closes
// the descriptor it is handed).
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace sorae {

struct FileWriteResult {
    bool ok = false;
    std::string error;  // what failed, with the file and the system's reason
    std::string path;   // the name the file has now (commitNew may number it)
    explicit operator bool() const { return ok; }
};

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter();  // removes a temporary that was never committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary. The new file gets the mode of the file it
    // replaces, else 0644 less the umask.
    bool open();
    // Appends all `size` bytes (retrying short writes), or fails.
    bool write(const void* data, std::size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // The temporary's descriptor while open, -1 otherwise.
    int fd() const { return fd_; }
    const std::string& temporaryPath() const { return temporaryPath_; }

    // fsync, close and rename over the target (replacing it).
    FileWriteResult commit();
    // The same, but the target is never replaced: when a file of that name
    // exists (or appears meanwhile), fails with `taken` set and the
    // temporary kept, so that the caller may try another name with
    // commitNew(otherName).
    FileWriteResult commitNew(bool* taken = nullptr);
    FileWriteResult commitNew(const std::string& otherTarget, bool* taken);

    // Removes the temporary; the target is left alone.
    void discard();

    // The first failure, empty while all went well.
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& what, int errorNumber);
    bool finishWriting();

    std::string target_;
    std::string temporaryPath_;
    std::string error_;
    int fd_ = -1;
    bool finished_ = false;  // flushed and closed; only the rename remains
};

// Replaces (or creates) path with `contents` through a unique temporary.
FileWriteResult WriteFileAtomically(const std::string& path, std::string_view contents);

// Gives `from` the name `to` unless a file of that name exists; false with
// errno EEXIST when it does. Works where the no-replace rename is missing.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

// Whether fileName (without folder) is a temporary this writer made for a
// file called targetName; with targetName empty, for any file.
bool IsAtomicTemporaryName(const std::string& fileName, const std::string& targetName = {});
// Removes the temporaries of target that a killed writer left: those older
// than any write could take (minimumAge), so that one another program is
// writing right now is spared. The number removed.
int RemoveStaleTemporaries(const std::string& target, std::chrono::seconds minimumAge);

}  // namespace sorae
