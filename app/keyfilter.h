#pragma once

#include <QString>
#include <functional>

class QLineEdit;
class QObject;

namespace veldrin {

// The refused-character lists of the input boxes. Only which characters a list holds
// matters; the texts are kept as they are written.
enum class RefusedList
{
    Common,
    Letters,
    IdCard,
    MobileNumber,
    TelephoneNumber,
    IpAddress,
    MessengerNumber,
    HostList
};

const QString& refusedCharacters(RefusedList list);

bool isRefused(RefusedList list, char16_t character);

// The second half of every key handler: a typed character found in the list is thrown away
// by setting the key code to 0. Control keys (Enter, Backspace, ...) are in no list.
void refuseListed(int& keyAscii, RefusedList list);

// Key code of Enter as the key handlers receive it.
inline constexpr int KeyEnter = 13;

// Routes every character typed into `box` through `handler` before the box sees it, with the
// key code as a 16-bit character code (Enter 13, Backspace 8). A handler that sets the code
// to 0 discards the key. Characters committed by an input method are judged one by one like
// typed keys; pasted or program-set text never passes through the handler.
void attachKeyHandler(QLineEdit* box, std::function<void(int& keyAscii)> handler);

} // namespace veldrin
