#include "numbers.h"

#include "exitstatus.h"
#include "output.h"
#include "rownotes.h"

#include "lookup/query.h"
#include "lookup/readonceindex.h"
#include "lookup/writtennumber.h"
#include "runtime/fileio.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;

// Answers numbers one after another and prints each answer.
class NumberAnswers {
public:
    explicit NumberAnswers(Output& out)
        : m_out(out) {}

    // A line of standard input, read as a number given.
    bool answerLine(QByteArrayView line) {
        char16_t digits[11];
        if (!lookup::readElevenAsciiDigits(line, digits))
            return answer(decodeKeepingBytes(line));
        const lookup::Answer answer = lookup::lookUp(QStringView(digits, 11), m_records);
        if (!std::holds_alternative<lookup::Carrier>(answer))
            return this->answer(QString::fromLatin1(line));
        m_out.append(line);
        m_out.append(QByteArrayView("\t"));
        m_out.append(nameOf(std::get<lookup::Carrier>(answer)));
        m_out.append(QByteArrayView("\n"));
        m_out.endLine();
        return !m_out.failed();
    }

    // A number as given, read as the window reads a pasted one, with a leading zero a
    // spreadsheet dropped put back.
    bool answer(const QString& given) {
        const lookup::WrittenNumber number =
            lookup::readWrittenNumber(given, lookup::DroppedZero::Restore);
        const lookup::Answer answer = lookup::lookUp(number.text, m_records);
        m_out.append(escaped(given));
        m_out.append(QByteArrayView("\t"));
        const auto* carrier = std::get_if<lookup::Carrier>(&answer);
        if (carrier)
            m_out.append(nameOf(*carrier));
        m_out.append(QByteArrayView("\n"));
        m_out.endLine();
        m_status =
            worse(m_status, sayNotes(m_out, displayed(given),
                                     list::notesOf(answer, number.zeroRestored, number.text)));
        return !m_out.failed();
    }

    ExitStatus status() const { return m_status; }

private:
    // A carrier's name in UTF-8, made once: the same few names come back for every number.
    QByteArrayView nameOf(const lookup::Carrier& carrier) {
        QByteArray& name = m_names[carrier.id];
        if (name.isEmpty())
            name = carrier.name().toUtf8();
        return name;
    }

    Output& m_out;
    lookup::ReadOnceIndex m_records;
    std::array<QByteArray, lookup::kAnswerIds> m_names;
    ExitStatus m_status = kAnswered;
};

} // namespace

bool forEachLine(int fd, const std::function<bool(QByteArrayView)>& each) {
    std::vector<char> buffer(std::size_t{kReadSize});
    QByteArray pending; // the start of a line that runs past the buffer
    auto deliver = [&](QByteArrayView line) {
        if (line.endsWith('\r'))
            line.chop(1);
        return each(line);
    };
    for (;;) {
        const qsizetype got = runtime::readSome(fd, buffer.data(), qsizetype(buffer.size()));
        if (got < 0)
            return false;
        if (got == 0)
            break;
        const char* p = buffer.data();
        const char* const end = p + got;
        while (p < end) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
            if (!lf) {
                // Input with no line end (a device, a binary file) must not eat all memory; the
                // number is far too long whatever the bytes dropped.
                pending.append(p, std::min(qsizetype(end - p), kMaxLineBytes - pending.size()));
                break;
            }
            bool more;
            if (pending.isEmpty()) {
                more = deliver(QByteArrayView(p, lf - p));
            } else {
                pending.append(p, std::min(qsizetype(lf - p), kMaxLineBytes - pending.size()));
                more = deliver(pending);
                pending.clear();
            }
            if (!more)
                return true;
            p = lf + 1;
        }
    }
    // A last line without its LF is still a number; an input that ends in LF has no more.
    if (!pending.isEmpty())
        deliver(pending);
    return true;
}

int lookUpNumbers(const QStringList& numbers, Output& out, bool inputClosed) {
    NumberAnswers answers(out);
    for (const QString& argument : numbers) {
        if (argument != u'-') {
            if (!answers.answer(argument))
                break;
            continue;
        }
        if (inputClosed)
            errno = EBADF;
        const bool readAll = !inputClosed && forEachLine(0, [&](QByteArrayView line) {
            return answers.answerLine(line);
        });
        if (!readAll) {
            printSystemError(Texts::tr("standard input"), errno);
            return kTrouble;
        }
        if (out.failed())
            break;
    }
    return answers.status();
}

} // namespace zunova::console
