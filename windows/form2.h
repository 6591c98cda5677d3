#pragma once

#include "app/context.h"

#include <QDialog>

class QListWidget;

namespace veldrin {

// The About window: product, version, rights, the maker's address, the legal warning and the
// installed components. Modeless and without an owner; closing it discards it.
class Form2 : public QDialog
{
    Q_OBJECT
public:
    explicit Form2(const Context& context);

    void Form_Load();
    void Command1_Click();

private:
    QListWidget* List1 = nullptr;
};

} // namespace veldrin
