// The pseudo-terminal helper: bytes the program writes on the slave arrive
// unchanged on the master (raw mode: no CR/LF translation), and are split
// into commands only at CR LF.
#include <gtest/gtest.h>

#include <thread>

#include "common/pseudo_terminal.h"

namespace sorae::testsupport {
namespace {

void writeAll(int fd, const std::string& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

// Polls until `count` bytes have arrived or a generous bound has passed.
void awaitBytes(PtyPair& pty, std::size_t count) {
    for (int i = 0; i < 2000 && pty.text().size() < count; ++i) {
        pty.poll();
        if (pty.text().size() < count) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(PseudoTerminalTest, BytesArriveRawAndSplitIntoCommandsAtCrLf) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    EXPECT_EQ(pty.path().rfind("/dev/pts/", 0), 0u) << pty.path();

    writeAll(pty.slaveFd(), "H1\r\nG\rX\n");
    writeAll(pty.slaveFd(), "Y\r\ntail");
    awaitBytes(pty, 14);
    EXPECT_EQ(pty.text(), "H1\r\nG\rX\nY\r\ntail");

    const std::vector<ArrivedCommand> commands = pty.commands();
    ASSERT_EQ(commands.size(), 2u);  // "tail" has no line end yet
    EXPECT_EQ(commands[0].text, "H1");
    EXPECT_EQ(commands[1].text, "G\rX\nY");
    EXPECT_LE(commands[0].first, commands[0].last);
    EXPECT_LE(commands[0].last, commands[1].first);

    pty.clear();
    EXPECT_TRUE(pty.text().empty());
    EXPECT_TRUE(pty.commands().empty());
}

}  // namespace
}  // namespace sorae::testsupport
