// Test entry for the programs that talk to the sound server. The sound
// server's client library can assert while its main loop is torn down by the
// static destructors at process exit, after every test has passed; the
// results are final by then, so the process ends without running them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::fflush(nullptr);
    std::_Exit(status);
}
