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

// The kind of data a file is checked as, in the user's language.
QString kindName(const lookup::Network& network) {
    return network.letter == u'p' ? Texts::tr("PHS") : Texts::tr("cellular");
}

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
                Texts::tr("\"%1\" read as %2").arg(displayed(field.text)).arg(field.value));
    });
    std::array<int, lookup::kBlockCount> firstLine{}; // 0: no record of that block yet
    try {
        while (const auto record = records->next()) {
            ++found.records;
            const int line = record->line;
            const qint16 key = record->key();
            if (!lookup::Network::holdsBlock(key)) {
                ++found.outside;
                problem(
                    line,
                    Texts::tr("key %1 is outside 0-999: no number reaches this record").arg(key));
                continue;
            }
            int& first = firstLine[std::size_t(key)];
            if (first != 0) {
                ++found.duplicates;
                problem(line,
                        Texts::tr("key %1 again (first on line %2): this record is never used")
                            .arg(key)
                            .arg(first));
                continue;
            }
            first = line;
            QStringList codes;
            for (int digit = 0; digit < 10; ++digit) {
                const qint16 code = record->code(digit);
                if (!network.carrierName(code))
                    codes << Texts::tr("%1 for digit %2").arg(code).arg(digit);
            }
            if (!codes.isEmpty()) {
                found.unnamed += int(codes.size());
                problem(line, Texts::tr("codes with no %1 carrier name (shown as 不明) in block "
                                        "%2: %3")
                                  .arg(kindName(network))
                                  .arg(key)
                                  .arg(codes.join(Texts::tr(", "))));
            }
        }
        // A 0x1A ends the data for every lookup: whatever follows it is never read.
        found.dataAfterEndMark = records->lineOfDataAfterEndMark();
        if (found.dataAfterEndMark)
            problem(*found.dataAfterEndMark,
                    Texts::tr("data after the end-of-file mark (Ctrl+Z) are never read"));
    } catch (const runtime::RuntimeError& error) {
        found.flaw = error;
        problem(error.line(),
                Texts::tr("%1 (a lookup stops here: every number whose block is not listed "
                          "before this point gets this error)")
                    .arg(describeError(error)));
    }
    return found;
}

void summarise(const QString& file, const lookup::Network& network, const Findings& found,
               Output& out) {
    QString text = Texts::tr("%1 (%2): ").arg(shownName(file), kindName(network));
    if (found.unopened) {
        text += Texts::tr("not read: error %1: %2")
                    .arg(static_cast<int>(found.unopened->number()))
                    .arg(found.unopened->text()) +
                u'\n';
        out.append(text);
        return;
    }
    text += Texts::tr("%1 records read").arg(found.records) + u'\n';
    text += QStringLiteral("  ") + Texts::tr("run-time errors: ");
    if (found.flaw)
        // Later problems go uncounted, so the figures below say nothing of the rest.
        text += Texts::tr("error %1 at line %2 (not read further: no lookup gets past it)")
                    .arg(static_cast<int>(found.flaw->number()))
                    .arg(found.flaw->line());
    else
        text += Texts::tr("none");
    text += u'\n';
    const auto count = [&](const QString& what) {
        text += QStringLiteral("  ") + what + u'\n';
    };
    count(Texts::tr("keys outside 0-999: %1").arg(found.outside));
    count(Texts::tr("duplicate keys: %1").arg(found.duplicates));
    count(Texts::tr("codes with no carrier name: %1").arg(found.unnamed));
    count(Texts::tr("fields not written as plain decimal integers: %1").arg(found.oddFields));
    if (found.dataAfterEndMark)
        count(Texts::tr("data after the end-of-file mark: from line %1, never read")
                  .arg(*found.dataAfterEndMark));
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
