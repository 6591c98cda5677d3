#include "platform/childwork.h"
#include "support/recorders.h"

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using veldrin::ChildWork;
using veldrin::ParseStop;
using veldrin::test::hasChildProcesses;

namespace {

const ParseStop noStop {};
const std::string child = CHILDWORK_CHILD;

// The test's child, started with the caller's pid and `arguments` as its command line and the
// parts of `input` as its standard input; its standard output read back. Null where `program`
// could not be started.
std::unique_ptr<ChildWork> startChild(const std::vector<std::string>& arguments,
                                      std::initializer_list<std::string_view> input = {},
                                      const std::string& program = child)
{
    const int in = veldrin::memoryFileOf(input);
    int out[2];
    if (in < 0 || pipe2(out, O_CLOEXEC) != 0)
        return nullptr;
    std::vector<std::string> line { program, std::to_string(getpid()) };
    line.insert(line.end(), arguments.begin(), arguments.end());
    const std::optional<veldrin::StartedProcess> started = veldrin::startProcess(program, line, in, out[1]);
    close(in);
    close(out[1]);
    if (!started) {
        close(out[0]);
        return nullptr;
    }
    return std::make_unique<ChildWork>(started->pidfd, out[0], started->pid);
}

// Blocks of every size the two sides buffer differently: a few bytes, one larger than the
// buffers, one larger than the pipe, a run of small ones, and one just over a buffer; the
// input is handed over in parts, which the child reads as one.
TEST(ChildWork, HandsBackWhatTheChildWroteInOrder)
{
    const int small = 0x12345678;
    QByteArray large(3 * 1024 * 1024 + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 4096);
    QByteArray counted;
    for (int i = 0; i < 20000; ++i)
        counted.append(reinterpret_cast<const char*>(&i), sizeof i);
    const QByteArray medium(70 * 1024, 'm');

    const std::unique_ptr<ChildWork> started
        = startChild({ "echo", "4", std::to_string(large.size()), "4x20000", std::to_string(medium.size()) },
                     { std::string_view(reinterpret_cast<const char*>(&small), sizeof small), large.toStdString(),
                       counted.toStdString(), medium.toStdString() });
    ASSERT_TRUE(started);
    ChildWork& work = *started;

    int readSmall = 0;
    ASSERT_TRUE(work.read(&readSmall, sizeof readSmall, noStop));
    EXPECT_EQ(readSmall, small);
    QByteArray readLarge(large.size(), Qt::Uninitialized);
    ASSERT_TRUE(work.read(readLarge.data(), size_t(readLarge.size()), noStop));
    EXPECT_EQ(readLarge, large);
    for (int i = 0; i < 20000; ++i) {
        int value = -1;
        ASSERT_TRUE(work.read(&value, sizeof value, noStop));
        ASSERT_EQ(value, i);
    }
    QByteArray readMedium(medium.size(), Qt::Uninitialized);
    ASSERT_TRUE(work.read(readMedium.data(), size_t(readMedium.size()), noStop));
    EXPECT_EQ(readMedium, medium);
    work.end();
    EXPECT_FALSE(hasChildProcesses());
}

// A child that fails, crashes, or ends before it wrote what is asked for gives nothing, and is
// reaped; a program that is not there is no child at all.
TEST(ChildWork, AChildThatFailsGivesNothing)
{
    struct Case
    {
        const char* what;
        size_t asked;
    };
    for (const Case& c : { Case { "fail", 4 }, Case { "crash", 8 }, Case { "short", 8 } }) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<ChildWork> work = startChild({ c.what });
        ASSERT_TRUE(work);
        char bytes[8];
        EXPECT_FALSE(work->read(bytes, c.asked, noStop));
        EXPECT_FALSE(hasChildProcesses());
    }
    {
        const std::unique_ptr<ChildWork> work = startChild({ "crash" });
        ASSERT_TRUE(work);
        char bytes[4];
        ASSERT_TRUE(work->read(bytes, sizeof bytes, noStop)) << "what it sent before it crashed";
        EXPECT_FALSE(work->read(bytes, 1, noStop));
        EXPECT_FALSE(hasChildProcesses());
    }
    EXPECT_FALSE(startChild({}, {}, child + "-not-there"));
    EXPECT_FALSE(hasChildProcesses());
}

// A child that never ends is ended at the stop, its cancel flag or its deadline, and reaped.
TEST(ChildWork, AStopEndsTheChild)
{
    std::atomic<bool> cancelled { true };
    const ParseStop stops[] = {
        { &cancelled, {} },
        { nullptr, std::chrono::steady_clock::now() + std::chrono::milliseconds(100) },
    };
    for (const ParseStop& stop : stops) {
        const std::unique_ptr<ChildWork> work = startChild({ "hang" });
        ASSERT_TRUE(work);
        char byte;
        EXPECT_FALSE(work->read(&byte, 1, stop));
        EXPECT_FALSE(hasChildProcesses());
    }
}

// The child has its standard descriptors only, even where the caller holds one that would be
// inherited: no socket or file of the caller stays open in it.
TEST(ChildWork, TheChildHasOnlyItsStandardDescriptors)
{
    int inherited[2];
    ASSERT_EQ(pipe(inherited), 0);
    const std::unique_ptr<ChildWork> work = startChild({ "descriptors" });
    ASSERT_TRUE(work);
    char listing[64] {};
    EXPECT_TRUE(work->read(listing, 6, noStop));
    EXPECT_STREQ(listing, "0 1 2 ");
    char more;
    EXPECT_FALSE(work->read(&more, 1, noStop)) << "further descriptors";
    close(inherited[0]);
    close(inherited[1]);
    EXPECT_FALSE(hasChildProcesses());
}

} // namespace
