#pragma once

#include "app/context.h"

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

// Lives as long as the program; the context points into it.
struct SystemSeams
{
    SystemDialogs dialogs;
    SystemShell shell;
    SystemProcess process;

    Context context(const QString& programFolder);
};

} // namespace veldrin
