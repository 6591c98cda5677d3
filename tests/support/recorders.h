#pragma once

#include "app/context.h"
#include "support/netfakes.h"
#include "support/panelkit.h"

#include <QList>
#include <QString>
#include <chrono>
#include <functional>

namespace veldrin::test {

struct ShownBox
{
    int style = 0;
    QString title;
    QString text;
    // What the user saw behind the box: every named control below RecordingDialogs::watched.
    QHash<QString, Look> behind;

    Look seen(const char16_t* control) const { return behind.value(str(control)); }
};

class RecordingDialogs final : public Dialogs
{
public:
    void messageBox(QWidget*, int style, const QString& title, const QString& text) override
    {
        boxes.append(ShownBox { style, title, text, watched ? looks(*watched) : QHash<QString, Look> {} });
        if (whileShown)
            whileShown();
    }
    QList<ShownBox> boxes;
    // The window or panel whose state each box records.
    const QWidget* watched = nullptr;
    // Runs while the box is up, as a user acting before closing it.
    std::function<void()> whileShown;
};

class RecordingShell final : public Shell
{
public:
    void open(QWidget* owner, const QString& target) override
    {
        targets.append(target);
        owners.append(owner);
    }
    QStringList targets;
    QList<QWidget*> owners; // the window each target was opened from
};

class RecordingProcess final : public ProcessControl
{
public:
    void endNow() override
    {
        ++endCount;
        if (whenEnded)
            whenEnded();
    }
    int endCount = 0;
    // Runs at each call, as the end of the program would; for instance, ends the event loops.
    std::function<void()> whenEnded;
};

// Answers the single-instance question as told, and counts the questions.
class FakeInstanceGuard final : public InstanceGuard
{
public:
    bool anotherInstanceRunning() override
    {
        ++askCount;
        return otherInstance;
    }
    bool otherInstance = false;
    int askCount = 0;
};

class RecordingHotKey final : public WindowHotKey
{
public:
    void registerAltA(QWidget* window) override { windows.append(window); }
    QList<QWidget*> windows;
};

// Recorders plus a context whose services all point at `host:port` (a fixture server) and
// whose time-outs are short, so failing cases end quickly.
struct TestSeams
{
    RecordingDialogs dialogs;
    RecordingShell shell;
    RecordingProcess process;
    FakeInstanceGuard instance;
    RecordingHotKey hotKey;
    // Resolution, echo and the name-server tool: inert fakes unless a test says otherwise.
    FakeNet net;
    Context context;

    explicit TestSeams(const QString& host = QStringLiteral("127.0.0.1"), int port = 9);
};

// Fetch limits for tests: short enough that a stall or a refused address ends in a moment.
FetchLimits shortLimits();

// Runs the event loop until `done()` holds or `timeout` passes; returns the last `done()`.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Whether this process has a child process, running or ended but not yet reaped. The page
// parser's program, which lives as long as the process, does not count; a page's process that
// it runs does, until it has ended (the parser's program reaps it).
bool hasChildProcesses();

} // namespace veldrin::test
