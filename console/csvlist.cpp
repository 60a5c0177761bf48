#include "csvlist.h"

#include "output.h"

#include "list/rowreader.h"
#include "list/rowwriter.h"
#include "lookup/listanswers.h"
#include "lookup/query.h"
#include "lookup/readonceindex.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

class Input {
public:
    explicit Input(const QString& file)
        : m_fd(file == u'-' ? 0 : ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC))
        , m_owned(file != u'-') {}
    ~Input() {
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    int fd() const { return m_fd; }

    // Appends up to `size` bytes; 0 at the end; -1 with errno on failure.
    qsizetype read(QByteArray& into, qsizetype size) {
        const qsizetype at = into.size();
        into.resize(at + size);
        for (;;) {
            const auto got = ::read(m_fd, into.data() + at, std::size_t(size));
            if (got < 0 && errno == EINTR)
                continue;
            into.resize(at + std::max<qsizetype>(got, 0));
            if (got > 0)
                m_total += got;
            return got;
        }
    }
    qint64 total() const { return m_total; }

private:
    int m_fd;
    bool m_owned;
    qint64 m_total = 0;
};

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

QString problemText(list::Problem problem) {
    switch (problem) {
    case list::Problem::Empty:
        return QStringLiteral("no rows: nothing to look up");
    case list::Problem::Binary:
        return QStringLiteral("not a text file (NUL or control bytes)");
    case list::Problem::NotUtf16:
        return QStringLiteral("not valid UTF-16, though it begins with a UTF-16 byte-order mark");
    case list::Problem::NoNumberColumn:
        return QStringLiteral("no column holds a telephone number; choose one with --column");
    case list::Problem::NoSuchColumn:
        return QStringLiteral("no such column");
    case list::Problem::RowTooLong:
    case list::Problem::None:
        break;
    }
    return {};
}

} // namespace

std::optional<ListRequest> listRequest(const QString& file, const std::optional<QString>& column,
                                       const std::optional<QString>& encoding, QString& why) {
    ListRequest request;
    request.file = file;
    if (file.isEmpty()) {
        why = QStringLiteral("--csv needs a FILE, or - for standard input");
        return std::nullopt;
    }
    if (column) {
        bool isNumber = false;
        const int position = column->toInt(&isNumber);
        if (isNumber && position < 1) {
            why = QStringLiteral("--column counts from 1, not '%1'").arg(*column);
            return std::nullopt;
        }
        if (column->trimmed().isEmpty()) {
            why = QStringLiteral("--column needs a number or a header's name");
            return std::nullopt;
        }
        if (isNumber)
            request.column.position = position - 1;
        else
            request.column.name = *column;
    }
    if (encoding) {
        request.encoding = list::encodingOfName(*encoding);
        if (!request.encoding) {
            why = QStringLiteral("--encoding takes utf-8, shift_jis (cp932), utf-16le or "
                                 "utf-16be, not '%1'")
                      .arg(*encoding);
            return std::nullopt;
        }
    }
    return request;
}

int addCarriers(const ListRequest& request, Output& out) {
    const QString name = request.file == u'-' ? QStringLiteral("standard input") : request.file;
    auto fail = [&](const QString& text) {
        out.flush();
        printMessage(name + QStringLiteral(": ") + text);
        return 1;
    };
    Input input(request.file);
    struct stat before {};
    if (input.fd() < 0 || ::fstat(input.fd(), &before) != 0)
        return fail(systemError(errno));
    if (S_ISDIR(before.st_mode))
        return fail(systemError(EISDIR));

    // The format is decided from the list's start.
    QByteArray sample;
    qsizetype got = 1;
    while (sample.size() < list::kSampleBytes && got > 0)
        got = input.read(sample, list::kSampleBytes - sample.size());
    if (got < 0)
        return fail(systemError(errno));
    bool atEnd = got == 0;
    const list::Detection detection = list::detect(sample, atEnd, request.encoding, request.column);
    if (detection.problem == list::Problem::NoSuchColumn) {
        fail(request.column.name.isEmpty()
                 ? QStringLiteral("no row has a column %1").arg(request.column.position + 1)
                 : QStringLiteral("no column is named '%1'").arg(request.column.name));
        return 2;
    }
    if (detection.problem != list::Problem::None)
        return fail(problemText(detection.problem));
    const list::Format& format = detection.format;
    bool allAnswered = true;
    if (format.doubt == list::EncodingDoubt::InvalidBytes) {
        fail(QStringLiteral("neither UTF-8 nor Shift_JIS reads every byte; read as %1 (choose "
                            "another with --encoding)")
                 .arg(list::encodingName(format.encoding)));
        allAnswered = false;
    }

    list::RowWriter writer(format);
    list::NumberFields numbers(format.encoding);
    list::RowReader reader(format.delimiter, format.numberColumn);
    lookup::ReadOnceIndex records;
    lookup::ListAnswers answers(records);
    std::unique_ptr<list::Utf16Reader> utf16;
    if (format.isUtf16())
        utf16 = std::make_unique<list::Utf16Reader>(format.encoding);
    bool headerDone = !format.header;
    QByteArray line;
    // Each carrier's field in the list's encoding, found by the address of its name: the same
    // few names come back for every row.
    std::vector<std::pair<const char16_t*, QByteArrayView>> carrierFields;
    auto carrierField = [&](const char16_t* name) {
        for (const auto& [known, field] : carrierFields)
            if (known == name)
                return field;
        carrierFields.emplace_back(name, writer.carrierField(QStringView(name)));
        return carrierFields.back().second;
    };
    // Rows are written straight into the output where they need no re-encoding; a UTF-16 row
    // goes through `line`.
    auto write = [&](const list::Row& row, int fields, QByteArrayView field) {
        if (writer.writesInPlace()) {
            if (char* to =
                    out.room(writer.roomFor(row.content, row.lineEnd, format.width, field))) {
                out.commit(writer.write(to, row.content, row.lineEnd, fields, field));
                return;
            }
        }
        writer.appendEncoded(line, row.content, row.lineEnd, fields, field);
        out.append(line);
        line.resize(0);
    };
    // What went wrong with a row, after the row itself: kept out of the way of the rows that
    // are answered, which are nearly all.
    auto report = [&](const list::Row& row, QStringView number, const lookup::Answer* answer) {
        QString trouble;
        if (answer && !std::holds_alternative<lookup::Carrier>(*answer)) {
            const auto* warning = std::get_if<lookup::Warning>(answer);
            trouble = displayed(number.toString()) + QStringLiteral(": ") +
                      (warning ? lookup::fixedText(warning->text)
                               : describe(std::get<runtime::RuntimeError>(*answer)));
        }
        if (row.fields != format.width)
            trouble += (trouble.isEmpty() ? QString() : QStringLiteral("; ")) +
                       QStringLiteral("%1 fields where most rows have %2")
                           .arg(row.fields)
                           .arg(format.width);
        allAnswered = false;
        // The rows stay in order with the messages, also where both go to one log.
        out.flush();
        printMessage(name + u':' + QString::number(row.line) + QStringLiteral(": ") + trouble);
    };
    auto each = [&](const list::Row& row) {
        if (row.fields == 0) {
            write(row, 0, {});
            out.endLine();
        } else if (!headerDone) {
            headerDone = true;
            write(row, row.fields, carrierField(list::kCarrierColumnName));
            out.endLine();
            if (row.fields != format.width)
                report(row, {}, nullptr);
        } else {
            const lookup::Answer& answer = answers.answers()[answers.indexOf(
                row.number, [&] { return numbers.read(row.number); })];
            const auto* carrier = std::get_if<lookup::Carrier>(&answer);
            write(row, row.fields, carrier ? carrierField(carrier->name) : QByteArrayView());
            out.endLine();
            if (!carrier || row.fields != format.width)
                report(row, numbers.read(row.number), &answer);
        }
        return !out.failed();
    };

    out.append(writer.start());
    QByteArray chunk = sample.sliced(format.dataStart());
    QByteArray converted;
    list::RowReader::Status status = list::RowReader::Status::Done;
    for (;;) {
        QByteArrayView working = chunk;
        if (utf16) {
            converted.resize(0);
            if (!utf16->read(chunk, atEnd, converted))
                return fail(problemText(list::Problem::NotUtf16));
            working = converted;
        }
        status = reader.read(working, atEnd, each);
        if (status != list::RowReader::Status::Done || atEnd)
            break;
        chunk.resize(0);
        got = input.read(chunk, kReadSize);
        if (got < 0)
            return fail(systemError(errno));
        atEnd = got == 0;
    }
    if (status == list::RowReader::Status::RowTooLong) {
        out.flush();
        printMessage(name + u':' + QString::number(reader.rowLine()) +
                     QStringLiteral(": a row longer than 16 MiB (a quote that never closes?): "
                                    "nothing from it on is written"));
        return 1;
    }
    struct stat after {};
    if (status == list::RowReader::Status::Done && S_ISREG(before.st_mode) &&
        (::fstat(input.fd(), &after) != 0 || !sameFile(before, after) ||
         input.total() != before.st_size)) {
        fail(QStringLiteral("changed while it was read: the rows written may mix old and new "
                            "contents"));
        allAnswered = false;
    }

    // Output that did not arrive is reported once the run ends, as for every run.
    return allAnswered && !out.failed() ? 0 : 1;
}

} // namespace zunova::console
