#pragma once

namespace veldrin {

// One step of reading UTF-8 as the web's decoder reads it: the bytes at `at` (before `end`) are
// either a whole, shortest sequence of a scalar value (no surrogate, nothing beyond U+10FFFF, no
// five- or six-byte form) or the maximal start of one that is broken, which a single U+FFFD
// stands for; the byte that broke it is read afresh. `at` is before `end`.
struct Utf8Step
{
    int length; // bytes taken, 1 to 4
    bool wellFormed;
};

inline Utf8Step utf8StepAt(const unsigned char* at, const unsigned char* end)
{
    const unsigned lead = *at;
    if (lead < 0x80)
        return { 1, true };
    int length = 0;
    unsigned lowest = 0x80; // the range of the byte after the lead
    unsigned highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = lead == 0xE0 ? 0xA0 : 0x80; // no overlong form
        highest = lead == 0xED ? 0x9F : 0xBF; // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = lead == 0xF0 ? 0x90 : 0x80; // no overlong form
        highest = lead == 0xF4 ? 0x8F : 0xBF; // nothing beyond U+10FFFF
    } else {
        return { 1, false };
    }
    int taken = 1;
    for (; taken < length && at + taken < end; ++taken) {
        const unsigned next = at[taken];
        if (next < lowest || next > highest)
            break;
        lowest = 0x80;
        highest = 0xBF;
    }
    return { taken, taken == length };
}

} // namespace veldrin
