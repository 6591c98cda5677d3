#pragma once

#include "app/context.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace veldrin {

// The update window: compares the program's version with the published one, shows the update
// notes and opens the download page. Modeless and without an owner; closing it discards it, so
// the next opening starts as designed.
class Form5 : public QDialog
{
    Q_OBJECT
public:
    explicit Form5(Context& context);

    void Form_Load();
    void Command1_Click(); // the check
    void Command2_Click();
    void Command3_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkFailed();

    Context& m_context;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

    QString strVersionPage;
    QString strNewVersion;
};

} // namespace veldrin
