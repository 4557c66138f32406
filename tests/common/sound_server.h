// The PulseAudio test server seen from a test: whether the test script
// started one (SORAE_PULSE_AVAILABLE), and a lock that tests playing into
// its shared null sinks hold, since ctest runs tests in parallel and no
// other tone may mix into theirs. The lock file is shared by every test
// program on the machine.
#pragma once

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sorae::testsupport {

inline bool soundServerAvailable() { return std::getenv("SORAE_PULSE_AVAILABLE") != nullptr; }

class SoundServerLock {
public:
    SoundServerLock() : fd_(::open("/tmp/sorae-test-sound-server.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~SoundServerLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    SoundServerLock(const SoundServerLock&) = delete;
    SoundServerLock& operator=(const SoundServerLock&) = delete;

private:
    int fd_;
};

}  // namespace sorae::testsupport
