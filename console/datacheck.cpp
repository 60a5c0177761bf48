#include "datacheck.h"

#include "exitstatus.h"
#include "output.h"

#include "lookup/network.h"
#include "runtime/recordreader.h"
#include "runtime/runtimeerror.h"

#include <array>
#include <optional>

namespace zunova::console {
namespace {

struct Findings {
    int records = 0;
    std::optional<runtime::RuntimeError> unopened;
    std::optional<runtime::RuntimeError> flaw;
    int outside = 0;
    int duplicates = 0;
    int unnamed = 0;
    int oddFields = 0;
    std::optional<int> dataAfterEndMark; // its line

    bool clean() const {
        return !unopened && !flaw && outside == 0 && duplicates == 0 && unnamed == 0 &&
               oddFields == 0 && !dataAfterEndMark;
    }
};

// A file's name as messages show it: an empty name would vanish from "FILE:LINE:".
QString shownName(const QString& file) {
    return file.isEmpty() ? QStringLiteral("''") : file;
}

// Reads the file with the lookup's own reader, so it meets exactly the errors a lookup meets,
// and stops where a lookup would: after a run-time error nothing more of the file is ever used.
Findings inspect(const QString& file, const lookup::Network& network) {
    Findings found;
    auto problem = [&](int line, const QString& text) {
        printLine(QStringLiteral("%1:%2: ").arg(shownName(file)).arg(line) + text);
    };
    std::optional<runtime::RecordReader> records;
    try {
        records.emplace(file);
    } catch (const runtime::RuntimeError& error) {
        found.unopened = error;
        printMessage(shownName(file) + QStringLiteral(": ") + describeError(error));
        return found;
    }
    // Read as the program has always read them, but not as the format writes numbers: the
    // author sees what each became.
    records->setOddFieldHandler([&](const runtime::OddField& field) {
        ++found.oddFields;
        problem(field.line,
                QStringLiteral("\"%1\" read as %2").arg(displayed(field.text)).arg(field.value));
    });
    std::array<int, lookup::kBlockCount> firstLine{}; // 0: no record of that block yet
    try {
        while (const auto record = records->next()) {
            ++found.records;
            const int line = record->line;
            const qint16 key = record->key();
            if (!lookup::Network::holdsBlock(key)) {
                ++found.outside;
                problem(line, QStringLiteral("key %1 is outside 0-999: no number reaches "
                                             "this record")
                                  .arg(key));
                continue;
            }
            int& first = firstLine[std::size_t(key)];
            if (first != 0) {
                ++found.duplicates;
                problem(line, QStringLiteral("key %1 again (first on line %2): this record "
                                             "is never used")
                                  .arg(key)
                                  .arg(first));
                continue;
            }
            first = line;
            QStringList codes;
            for (int digit = 0; digit < 10; ++digit) {
                const qint16 code = record->code(digit);
                if (!network.carrierName(code))
                    codes << QStringLiteral("%1 for digit %2").arg(code).arg(digit);
            }
            if (!codes.isEmpty()) {
                found.unnamed += int(codes.size());
                problem(line, QStringLiteral(u"codes with no %1 carrier name (shown as 不明) "
                                             u"in block %2: %3")
                                  .arg(lookup::fixedText(network.name))
                                  .arg(key)
                                  .arg(codes.join(QStringLiteral(", "))));
            }
        }
        // A 0x1A ends the data for every lookup: whatever follows it is never read.
        found.dataAfterEndMark = records->lineOfDataAfterEndMark();
        if (found.dataAfterEndMark)
            problem(*found.dataAfterEndMark,
                    QStringLiteral("data after the end-of-file mark (Ctrl+Z) are never read"));
    } catch (const runtime::RuntimeError& error) {
        found.flaw = error;
        problem(error.line(),
                describeError(error) + QStringLiteral(" (a lookup stops here: every number whose "
                                                      "block is not listed before this point gets "
                                                      "this error)"));
    }
    return found;
}

void summarise(const QString& file, const lookup::Network& network, const Findings& found,
               Output& out) {
    QString text =
        QStringLiteral("%1 (%2): ").arg(shownName(file), lookup::fixedText(network.name));
    if (found.unopened) {
        text += QStringLiteral("not read: error %1: %2\n")
                    .arg(static_cast<int>(found.unopened->number()))
                    .arg(found.unopened->text());
        out.append(text);
        return;
    }
    text += QStringLiteral("%1 records read\n").arg(found.records);
    text += QStringLiteral("  run-time errors: ");
    if (found.flaw)
        // Later problems go uncounted, so the figures below say nothing of the rest.
        text += QStringLiteral("error %1 at line %2 (not read further: no lookup gets past it)\n")
                    .arg(static_cast<int>(found.flaw->number()))
                    .arg(found.flaw->line());
    else
        text += QStringLiteral("none\n");
    text += QStringLiteral("  keys outside 0-999: %1\n").arg(found.outside);
    text += QStringLiteral("  duplicate keys: %1\n").arg(found.duplicates);
    text += QStringLiteral("  codes with no carrier name: %1\n").arg(found.unnamed);
    text +=
        QStringLiteral("  fields not written as plain decimal integers: %1\n").arg(found.oddFields);
    if (found.dataAfterEndMark)
        text += QStringLiteral("  data after the end-of-file mark: from line %1, never read\n")
                    .arg(*found.dataAfterEndMark);
    out.append(text);
}

} // namespace

int checkDataFiles(const QStringList& files, const lookup::Network* kind, Output& out) {
    ExitStatus status = kAnswered;
    for (const QString& file : files) {
        const lookup::Network& network = kind ? *kind : lookup::networkOfDataFile(file);
        const Findings found = inspect(file, network);
        summarise(file, network, found, out);
        // The summary of one file comes before the problems of the next.
        out.flush();
        status = worse(status, found.unopened ? kTrouble : found.clean() ? kAnswered : kUnanswered);
    }
    return status;
}

} // namespace zunova::console
