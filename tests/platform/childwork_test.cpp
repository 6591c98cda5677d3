#include "platform/childwork.h"
#include "support/recorders.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

using veldrin::ChildOutput;
using veldrin::ChildWork;
using veldrin::ParseStop;
using veldrin::test::hasChildProcesses;

namespace {

const ParseStop noStop {};

// Blocks of every size the two sides buffer differently: a few bytes, one larger than the
// buffers, one larger than the pipe, and a run of small ones.
TEST(ChildWork, HandsBackWhatTheChildWroteInOrder)
{
    std::vector<char> large(3 * 1024 * 1024 + 7);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 4096);
    const int small = 0x12345678;
    const std::vector<char> medium(70 * 1024, 'm');

    ChildWork child;
    ASSERT_TRUE(child.start([&](ChildOutput& out) {
        out.write(&small, sizeof small);
        out.write(large.data(), large.size());
        for (int i = 0; i < 20000; ++i)
            out.write(&i, sizeof i);
        out.write(medium.data(), medium.size());
        return true;
    }));

    int readSmall = 0;
    ASSERT_TRUE(child.read(&readSmall, sizeof readSmall, noStop));
    EXPECT_EQ(readSmall, small);
    std::vector<char> readLarge(large.size());
    ASSERT_TRUE(child.read(readLarge.data(), readLarge.size(), noStop));
    EXPECT_EQ(readLarge, large);
    for (int i = 0; i < 20000; ++i) {
        int value = -1;
        ASSERT_TRUE(child.read(&value, sizeof value, noStop));
        ASSERT_EQ(value, i);
    }
    std::vector<char> readMedium(medium.size());
    ASSERT_TRUE(child.read(readMedium.data(), readMedium.size(), noStop));
    EXPECT_EQ(readMedium, medium);
    EXPECT_TRUE(child.finish());
    EXPECT_FALSE(hasChildProcesses());
}

// A child that fails, or ends before it wrote what is asked for, gives nothing, and is reaped.
TEST(ChildWork, AChildThatFailsGivesNothing)
{
    {
        ChildWork child;
        ASSERT_TRUE(child.start([](ChildOutput& out) {
            out.write("abcd", 4);
            return false;
        }));
        char bytes[4];
        EXPECT_FALSE(child.read(bytes, sizeof bytes, noStop)) << "a failed child's output is not sent";
    }
    {
        ChildWork child;
        ASSERT_TRUE(child.start([](ChildOutput&) -> bool { throw std::bad_alloc(); }));
        EXPECT_FALSE(child.finish());
    }
    {
        ChildWork child;
        ASSERT_TRUE(child.start([](ChildOutput& out) {
            out.write("abcd", 4);
            return true;
        }));
        char bytes[8];
        EXPECT_FALSE(child.read(bytes, sizeof bytes, noStop));
    }
    EXPECT_FALSE(hasChildProcesses());
}

// Work that never ends is ended at the stop, its cancel flag or its deadline, and reaped.
TEST(ChildWork, AStopEndsTheChild)
{
    std::atomic<bool> cancelled { true };
    const ParseStop stops[] = {
        { &cancelled, {} },
        { nullptr, std::chrono::steady_clock::now() + std::chrono::milliseconds(100) },
    };
    for (const ParseStop& stop : stops) {
        ChildWork child;
        ASSERT_TRUE(child.start([](ChildOutput&) {
            for (;;)
                pause();
            return true;
        }));
        char byte;
        EXPECT_FALSE(child.read(&byte, 1, stop));
        EXPECT_FALSE(hasChildProcesses());
    }
}

// A child keeps none of the caller's descriptors open: a connection the caller closes is closed,
// even while the child runs.
TEST(ChildWork, TheChildHoldsNoDescriptorOfTheCaller)
{
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    ChildWork child;
    ASSERT_TRUE(child.start([](ChildOutput&) {
        for (;;)
            pause();
        return true;
    }));
    close(fds[1]);
    pollfd hangUp { fds[0], POLLIN, 0 };
    EXPECT_EQ(poll(&hangUp, 1, 10000), 1) << "the child still holds the pipe's other end";
    char byte;
    EXPECT_EQ(read(fds[0], &byte, 1), 0);
    close(fds[0]);

    std::atomic<bool> cancelled { true };
    EXPECT_FALSE(child.read(&byte, 1, ParseStop { &cancelled, {} }));
    EXPECT_FALSE(hasChildProcesses());
}

} // namespace
