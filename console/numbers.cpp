#include "numbers.h"

#include "output.h"

#include "lookup/query.h"
#include "lookup/readonceindex.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;

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
        const auto got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
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

int lookUpNumbers(const QStringList& numbers, Output& out) {
    lookup::ReadOnceIndex records;
    bool allAnswered = true;

    auto answerOne = [&](const QString& number) {
        const lookup::Answer answer = lookup::lookUp(number, records);
        out.append(number);
        out.append(QByteArrayView("\t"));
        if (const auto* carrier = std::get_if<lookup::Carrier>(&answer)) {
            out.append(lookup::fixedText(carrier->name));
            out.append(QByteArrayView("\n"));
            out.endLine();
        } else {
            out.append(QByteArrayView("\n"));
            allAnswered = false;
            // The answers stay in order with the messages, also where both go to one log.
            out.flush();
            const auto* warning = std::get_if<lookup::Warning>(&answer);
            printMessage(displayed(number) + QStringLiteral(": ") +
                         (warning ? lookup::fixedText(warning->text)
                                  : describe(std::get<runtime::RuntimeError>(answer))));
        }
        return !out.failed();
    };

    for (const QString& argument : numbers) {
        if (argument != u'-') {
            if (!answerOne(argument))
                break;
            continue;
        }
        const bool readAll =
            forEachLine(0, [&](QByteArrayView line) { return answerOne(QString::fromUtf8(line)); });
        if (!readAll) {
            printMessage(QStringLiteral("standard input: ") +
                         QString::fromLocal8Bit(std::strerror(errno)));
            allAnswered = false;
            break;
        }
        if (out.failed())
            break;
    }

    out.flush();
    if (out.failed()) {
        // A reader that has had enough (head, less) closes the pipe: stop without a word.
        if (out.failedErrno() != EPIPE)
            printMessage(QStringLiteral("standard output: ") +
                         QString::fromLocal8Bit(std::strerror(out.failedErrno())));
        return 1;
    }
    return allAnswered ? 0 : 1;
}

} // namespace zunova::console
