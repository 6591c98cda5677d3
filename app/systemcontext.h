#pragma once

#include "app/context.h"
#include "app/x11hotkey.h"
#include "platform/instancelock.h"

namespace veldrin {

// The real seams: message boxes on screen, the desktop's URL handler, process exit.
class SystemDialogs final : public Dialogs
{
public:
    void messageBox(QWidget* owner, int style, const QString& title, const QString& text) override;
};

class SystemShell final : public Shell
{
public:
    void open(QWidget* owner, const QString& target) override;
};

class SystemProcess final : public ProcessControl
{
public:
    [[noreturn]] void endNow() override;
};

// The per-user instance lock, taken at the first question and held until the process ends.
class SystemInstanceGuard final : public InstanceGuard
{
public:
    SystemInstanceGuard();
    bool anotherInstanceRunning() override;

private:
    InstanceLock m_lock;
};

// Lives as long as the program; the context points into it.
struct SystemSeams
{
    SystemDialogs dialogs;
    SystemShell shell;
    SystemProcess process;
    SystemInstanceGuard instance;
    X11HotKey hotKey;

    Context context(const QString& programFolder);
};

} // namespace veldrin
