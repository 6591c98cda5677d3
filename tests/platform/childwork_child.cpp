// The child the ChildWork tests start. Its command line: the caller's pid, then what to do.
//   echo N[xK]...  its input back, in blocks of N bytes (K of them) one after the other
//   fail           writes a little, then ends with status 1 before sending it
//   crash          writes and sends a little, then aborts
//   short          writes and sends four bytes, then ends well
//   hang           waits forever
//   descriptors    the numbers of its open descriptors, each followed by a space
#include "platform/childwork.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

using veldrin::ChildOutput;

namespace {

std::string wholeInput()
{
    std::string input;
    char block[4096];
    ssize_t got;
    while ((got = read(STDIN_FILENO, block, sizeof block)) > 0)
        input.append(block, size_t(got));
    return input;
}

void echo(int argc, char** argv, ChildOutput& out)
{
    const std::string input = wholeInput();
    size_t at = 0;
    for (int i = 3; i < argc; ++i) {
        char* rest = nullptr;
        const long size = std::strtol(argv[i], &rest, 10);
        const long count = *rest == 'x' ? std::strtol(rest + 1, nullptr, 10) : 1;
        for (long k = 0; k < count; ++k) {
            out.write(input.data() + at, size_t(size));
            at += size_t(size);
        }
    }
}

void descriptors(ChildOutput& out)
{
    DIR* listing = opendir("/proc/self/fd");
    if (!listing)
        _exit(3);
    const int own = dirfd(listing);
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own)
            continue;
        out.write(entry->d_name, std::strlen(entry->d_name));
        out.write(" ", 1);
    }
    closedir(listing);
}

// Dies with the thread that started it; false where that was gone before it could arrange so.
bool tiedToParent(const char* parentPid)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    char* end = nullptr;
    const long parent = std::strtol(parentPid, &end, 10);
    return end != parentPid && *end == '\0' && getppid() == pid_t(parent);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || !tiedToParent(argv[1]))
        _exit(1);
    const std::string what = argv[2];
    ChildOutput out(STDOUT_FILENO);
    if (what == "echo") {
        echo(argc, argv, out);
    } else if (what == "fail") {
        out.write("abcd", 4);
        _exit(1);
    } else if (what == "crash") {
        out.write("abcd", 4);
        out.flush();
        std::abort();
    } else if (what == "short") {
        out.write("abcd", 4);
    } else if (what == "hang") {
        for (;;)
            pause();
    } else if (what == "descriptors") {
        descriptors(out);
    }
    out.flush();
    _exit(0);
}
