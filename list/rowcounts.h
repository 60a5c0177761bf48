#pragma once

#include "listpipeline.h"

#include "lookup/query.h"

#include <array>

namespace zunova::list {

// How many of a list's rows got what: the run's summary, the window's counts line.
struct RowCounts {
    std::array<qint64, lookup::kAnswerIds> answers{}; // the number rows, by their answer
    qint64 withoutNumber = 0;
    qint64 listed = 0;       // the list's own rows: with a number or without
    qint64 controlBytes = 0; // rows holding a control character
    qint64 firstControlLine = 0;
    qint64 zerosRestored = 0;
    qint64 several = 0; // number cells that held several numbers

    void add(const ListRow& row) {
        if (!isListed(row.kind))
            return;
        ++listed;
        if (row.kind == RowKind::Number)
            ++answers[row.answer];
        else
            ++withoutNumber;
        zerosRestored += row.zeroRestored ? 1 : 0;
        several += row.several ? 1 : 0;
        if (row.controlBytes && controlBytes++ == 0)
            firstControlLine = row.line;
    }

    // Rows that got a carrier (不明 included).
    qint64 carriers() const {
        qint64 total = 0;
        for (int network = 0; network < lookup::kNetworkCount; ++network)
            for (int row = 0; row < lookup::kMaxCarriers; ++row)
                total += answers[lookup::carrierAnswer(network, row)];
        return total;
    }
};

} // namespace zunova::list
