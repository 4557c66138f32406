// DecodeBlock runs on every half-second block of a pass: it must take no
// memory from the heap, telemetry and sensor naming included.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "apt/line_decoder.h"
#include "synthetic_envelope.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace sorae {
namespace {

struct SilentHooks : DecodeHooks {
    int named = 0;
    void sensorStatusChanged(const std::string&) override { ++named; }
};

TEST(LineDecoderMemory, DecodesAWholePassWithoutAllocating) {
    auto store = std::make_unique<LineStore>();
    LineDecoder decoder(*store);
    decoder.resetForNewPass();
    SilentHooks hooks;
    // two telemetry frames' worth of lines, made beforehand
    std::vector<std::vector<double>> blocks;
    for (int line = 0; line < 300; ++line) blocks.push_back(test::blockWithSyncAt(2000, line));

    counting = true;
    for (const auto& block : blocks) decoder.decodeBlock(block.data(), DecodeContext{}, &hooks);
    decoder.resetForNewPass();
    counting = false;

    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GE(hooks.named, 1);   // the naming path ran too
    EXPECT_EQ(store->lineCount, 0);
}

}  // namespace
}  // namespace sorae
