#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zunova::lookup {

// Whether a spreadsheet's lost leading zero is put back: a cell of exactly ten digits beginning
// 90, 80, 70 or 60 was a mobile number stored as a number. Lists and the command line put it
// back; the window's entry never filters what it is given.
enum class DroppedZero { Keep, Restore };

// A number as people and programs write it, read as what the query is given.
struct WrittenNumber {
    QString text;              // the number's digits (ASCII), or the text as it is
    bool zeroRestored = false; // a dropped leading zero was put back
    bool several = false;      // the text held more numbers than this one
};

// Reads a telephone number as people and programs write it: "090-1234-5678",
// "(０９０) １２３４ ５６７８", "090/1234/5678", with any kind of space, hyphen, dash, dot, slash,
// tilde or parenthesis between its digits; the international forms ("+81 90-1234-5678",
// "+819012345678", "+81 (0)90 1234 5678", "81-90-1234-5678", "0081 …", "010 81 …"), whose 81
// stands for the leading 0 (never doubled); Excel's ways of keeping the zero ("="09012345678"",
// "'09012345678"); a label or a note around it ("TEL:090-…", "携帯 090-…", "090-…（携帯）").
// Of several numbers in one text the first mobile one is taken, else the first. Text that is
// digits and separators alone reads as its digits, whatever their count. Anything else, text
// that does not plainly hold a number, comes back as it is.
WrittenNumber readWrittenNumber(QStringView text, DroppedZero dropped);

// The same as the window's entry takes pasted text: no zero put back.
inline QString digitsOfWrittenNumber(QStringView text) {
    return readWrittenNumber(text, DroppedZero::Keep).text;
}

// The rule above, for the way nearly every number in a long list or on standard input is written:
// eleven ASCII digits, which read as themselves, in the same bytes in every encoding a list is
// read in. Copies them into `digits`, or says false for anything else (which the rule reads).
// A shortcut for speed, kept for what it saves to `zunova -` on a long input (tools/bench-cli.sh,
// counted with callgrind; doc/performance.md).
inline bool readElevenAsciiDigits(QByteArrayView bytes, char16_t (&digits)[11]) {
    if (bytes.size() != 11)
        return false;
    for (int i = 0; i < 11; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
        digits[i] = char16_t(bytes[i]);
    }
    return true;
}

// Ten or eleven ASCII digits beginning with 0.
bool isTelephoneNumber(QStringView digits);
// Eleven ASCII digits beginning 0X0.
bool isMobileNumber(QStringView digits);

} // namespace zunova::lookup
