#pragma once

#include <QString>
#include <QStringList>
#include <chrono>

namespace veldrin {

// Where the name-server tool is and how long it may run.
struct NameServerTool
{
    QString program; // absolute path; started directly, never through a shell
    QString workFolder; // private to the user; holds the work file while the tool runs
    std::chrono::milliseconds timeout { 30000 };

    // Debian's nslookup (bind9-dnsutils), writing into the user's own work folder.
    static NameServerTool system();
};

struct ToolOutput
{
    bool ok = false;
    QStringList lines; // what the tool wrote to its standard output, line by line, when ok
    QString error; // why there is nothing to show, when not ok
};

// The name of the work file inside the work folder.
inline QString workFileName()
{
    return QStringLiteral("1.txt");
}

// Runs the tool with `argument` as its one argument, standard input from /dev/null and
// standard output into the work file, and reads that file once the tool has ended, decoded in
// the locale's encoding. Whatever the tool's exit status, what it wrote is its answer; a tool
// that cannot start, outlives its time-out (it is then killed and reaped) or writes nothing
// gives no lines. A stale work file is removed before the start, and the work file is removed
// on every way out; the work file is made afresh (mode 0600), never through a link. The work
// folder is created (mode 0700) when missing, and closed to group and others when it is the
// user's but open to them; one that is a symbolic link, no folder or not the user's is refused.
//
// While the tool runs, the caller's events go on, user input included, as they would while
// the program waited for a file to appear.
ToolOutput runNameServerTool(const NameServerTool& tool, const QString& argument);

} // namespace veldrin
