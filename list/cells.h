#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <span>
#include <vector>

namespace zunova::list {

// A row's cells, as bytes one after another: the list's working bytes (a text list's own
// encoding, UTF-8 for UTF-16 text and for a sheet). What the pipeline reads a row from.
class CellsView {
public:
    CellsView() = default;
    // The cells end at `ends` in `data`; the first starts at `begin`.
    CellsView(const char* data, std::span<const quint32> ends, quint32 begin = 0)
        : m_data(data)
        , m_ends(ends)
        , m_begin(begin) {}

    qsizetype size() const { return qsizetype(m_ends.size()); }
    // The cell at `index`; empty past the last.
    QByteArrayView operator[](qsizetype index) const {
        if (index < 0 || index >= size())
            return {};
        const quint32 from = index == 0 ? m_begin : m_ends[std::size_t(index - 1)];
        return QByteArrayView(m_data + from, m_ends[std::size_t(index)] - from);
    }

private:
    const char* m_data = nullptr;
    std::span<const quint32> m_ends;
    quint32 m_begin = 0;
};

// The cells of one row, gathered while it is read. A row is at most a few megabytes.
class Cells {
public:
    void clear() {
        m_bytes.resize(0);
        m_ends.clear();
    }
    void append(QByteArrayView cell) {
        m_bytes.append(cell);
        m_ends.push_back(quint32(m_bytes.size()));
    }
    CellsView view() const { return {m_bytes.constData(), m_ends}; }

private:
    QByteArray m_bytes;
    std::vector<quint32> m_ends;
};

// Turns a cell's bytes into text, in the list's encoding.
class CellDecoder {
public:
    virtual ~CellDecoder() = default;
    virtual QString decode(QByteArrayView cell) = 0;
};

class Utf8Decoder final : public CellDecoder {
public:
    QString decode(QByteArrayView cell) override { return QString::fromUtf8(cell); }
};

} // namespace zunova::list
