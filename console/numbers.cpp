#include "numbers.h"

#include "output.h"

#include "lookup/carrierlookup.h"
#include "lookup/windowops.h"
#include "runtime/runtimeerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define ZUNOVA_READ _read
#else
#include <unistd.h>
#define ZUNOVA_READ ::read
#endif

namespace zunova::console {
namespace {

// The window, as far as the query can see it, for one number.
class ConsoleWindow final : public lookup::WindowOps {
public:
    explicit ConsoleWindow(const QString& number)
        : m_text1(number) {}

    QString text1Text() const override { return m_text1; }
    void setText1Text(const QString& text) override { m_text1 = text; }
    void setLabel4Caption(const QString& caption) override { m_label4 = caption; }
    void showWarning(const QString& text) override { m_warnings << text; }

    const QString& label4() const { return m_label4; }
    const QStringList& warnings() const { return m_warnings; }

private:
    QString m_text1;
    QString m_label4;
    QStringList m_warnings;
};

constexpr qsizetype kReadSize = 64 * 1024;

} // namespace

Answer NumberLookup::answer(const QString& number) {
    ConsoleWindow window(number);
    lookup::CarrierLookup lookup(window, &m_records);
    try {
        lookup.Chousa();
    } catch (const runtime::RuntimeError& error) {
        // As in the window: the error is reported and no carrier is shown.
        return {QString(), {describe(error)}};
    }
    if (!window.warnings().isEmpty())
        return {QString(), window.warnings()};
    return {window.label4(), {}};
}

bool forEachLine(int fd, const std::function<bool(QByteArrayView)>& each) {
    std::vector<char> buffer(std::size_t{kReadSize});
    QByteArray pending; // the start of a line that runs past the buffer
    auto deliver = [&](QByteArrayView line) {
        if (line.endsWith('\r'))
            line.chop(1);
        return each(line);
    };
    for (;;) {
        const auto got = ZUNOVA_READ(fd, buffer.data(), static_cast<unsigned>(buffer.size()));
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
    NumberLookup lookup;
    bool allAnswered = true;

    auto answerOne = [&](const QString& number) {
        const Answer answer = lookup.answer(number);
        out.append(number);
        out.append(QByteArrayView("\t"));
        out.append(answer.carrier);
        out.append(QByteArrayView("\n"));
        if (answer.messages.isEmpty()) {
            out.endLine();
        } else {
            allAnswered = false;
            // The answers stay in order with the messages, also where both go to one log.
            out.flush();
            for (const QString& message : answer.messages)
                printMessage(displayed(number) + QStringLiteral(": ") + message);
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
