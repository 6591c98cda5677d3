#include "app/keyfilter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <array>

namespace veldrin {

namespace {

// The lists exactly as written; the tilde and the at sign stand twice in most of them, which
// changes nothing.
const std::array<QString, 8>& lists()
{
    static const std::array<QString, 8> texts = {
        QString::fromUtf16(u"~！@#￥%…？&*（）~!@$^_—+<>《》/、\\。，'“”(){}【】[] "), // Common
        QString::fromUtf16(u"~！@#￥%…？&*（）~!@$^_—+<>《》/、\\。，'“”(){}【】[] "
                           u"QWERTYUIOPASDFGHJKLZXCVBNMqwertyuiopasdfghjklzxcvbnm"), // Letters
        QString::fromUtf16(u"~！qazwsedcrfvtgbyhnujmiklopQWERTYUIOPASDFGHJKLZCVBNM@#￥%…？&*（）~!@$^_—+<>《》/"
                           u"、\\。，'“”(){}【】[] "), // IdCard
        QString::fromUtf16(u"~QWERTYUIOPASDFGHJKLZXCVBNMqwertyuiopasdfghjklzxcvbnm.,，。！@#￥%…？&*（）~!@$^_—+<>《》/"
                           u"、\\。，'“”(){}【】[] "), // MobileNumber
        QString::fromUtf16(u"~QWERTYUIOPASDFGHJKLZXCVBNMqwertyuiopasdfghjklzxcvbnm,.！@#￥%…？&*（）~!@$^_—+<>《》/"
                           u"、\\。，'“”(){}【】[] "), // TelephoneNumber
        QString::fromUtf16(u"~！@#￥%…？&QWERTYUIOP,-ASDFGHJKLZXCVBNMqwertyuiopasdfghjklzxcvbnm（）~!@$^_—+<>《》/"
                           u"、\\。，'“”(){}【】[] "), // IpAddress
        QString::fromUtf16(u"~！QWERTYUIOPASDFGHJKLZXCVBNMqwertyuiopasdfghjklzxcvbnm@#￥%…？&*（）~!@$^_—+<>《》/"
                           u"、\\。，'“”(){}【】[] \" '允许输入的字符"), // MessengerNumber
        QString::fromUtf16(u"~！@#￥%…？&*（）~!@$^_—+<>《》/、\\。，'“”(){}【】[] \" '允许输入的字符"), // HostList
    };
    return texts;
}

class KeyHandlerFilter final : public QObject
{
public:
    KeyHandlerFilter(QLineEdit* box, std::function<void(int&)> handler)
        : QObject(box)
        , m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            return keyPress(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::InputMethod && !m_resending)
            return inputMethod(watched, static_cast<QInputMethodEvent*>(event));
        return false;
    }

private:
    bool keyPress(QKeyEvent* event)
    {
        int key = 0;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            key = KeyEnter;
        else if (event->text().size() == 1)
            key = event->text().at(0).unicode();
        else
            return false; // arrows, function keys and the like reach no key handler
        m_handler(key);
        return key == 0;
    }

    bool inputMethod(QObject* watched, QInputMethodEvent* event)
    {
        const QString committed = event->commitString();
        if (committed.isEmpty())
            return false;
        QString kept;
        for (QChar c : committed) {
            int key = c.unicode();
            m_handler(key);
            if (key != 0)
                kept += c;
        }
        if (kept == committed)
            return false;
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
        m_resending = true;
        QCoreApplication::sendEvent(watched, &filtered);
        m_resending = false;
        return true;
    }

    std::function<void(int&)> m_handler;
    bool m_resending = false;
};

} // namespace

const QString& refusedCharacters(RefusedList list)
{
    return lists()[static_cast<std::size_t>(list)];
}

bool isRefused(RefusedList list, char16_t character)
{
    return refusedCharacters(list).contains(QChar(character));
}

void refuseListed(int& keyAscii, RefusedList list)
{
    if (keyAscii > 0 && keyAscii <= 0xFFFF && isRefused(list, static_cast<char16_t>(keyAscii)))
        keyAscii = 0;
}

void attachKeyHandler(QLineEdit* box, std::function<void(int& keyAscii)> handler)
{
    box->setAttribute(Qt::WA_InputMethodEnabled, true);
    box->installEventFilter(new KeyHandlerFilter(box, std::move(handler)));
}

} // namespace veldrin
