#pragma once

#include "listanswers.h"
#include "listformat.h"
#include "rowreader.h"
#include "rowwriter.h"

#include "lookup/recordsource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <memory>
#include <optional>

namespace zunova::list {

// Turns a list's bytes, after its byte-order mark, into the working bytes rows are read from,
// piece by piece: the bytes themselves, or UTF-16 as UTF-8. It watches that the bytes go on
// reading in the list's encoding, where the list's start read in it whole (its format has no
// doubt but ASCII alone): rows written back with the carrier in that encoding must be in it.
class WorkingBytes {
public:
    // `watched`: false where the list is known to read in its encoding whole (a file read ahead
    // to its end), so no byte need be looked at twice.
    explicit WorkingBytes(const Format& format, bool watched = true);
    ~WorkingBytes();
    WorkingBytes(const WorkingBytes&) = delete;
    WorkingBytes& operator=(const WorkingBytes&) = delete;

    // The working bytes of the next piece, valid until the next call: all of it, or what comes
    // before the first byte that does not read in the encoding. From there on, stopped().
    QByteArrayView of(QByteArrayView piece, bool last);
    // What stopped the bytes: Problem::NotUtf16, Problem::NotInEncoding, or None.
    Problem stopped() const { return m_stopped; }

private:
    Encoding m_encoding;
    bool m_checked;
    std::unique_ptr<Utf16Reader> m_utf16;
    QByteArray m_converted;
    QByteArray m_cutOff; // the start of a character the last piece cut off
    Problem m_stopped = Problem::None;
};

// Where the pipeline hands each row: standard output, or the window's document.
class RowSink {
public:
    virtual ~RowSink() = default;
    // `entered`: a number row's number as the query reads it, valid during the call. False stops
    // the reading.
    virtual bool take(const ListRow& row, QStringView entered) = 0;
};

// The one way a list is read, whatever front reads it and wherever its rows go: rows read piece
// by piece from working bytes, each row's kind decided (blank, the header, a number row), a number
// row's number read as people write numbers and answered as lookup::lookUp answers it (numbers
// alike looked up once, so `records` must not change meanwhile: a ReadOnceIndex), and every row
// handed to a sink in order.
class ListPipeline {
public:
    ListPipeline(const Format& format, lookup::RecordSource& records);

    // Reads the next piece of working bytes (`last`: the data end after it).
    RowReader::Status read(QByteArrayView working, bool last, RowSink& sink);
    // The line the row being read starts on (where a RowTooLong or an unclosed quote lies), and
    // how many lines it took in.
    qint64 rowLine() const { return m_reader.rowLine(); }
    qint64 rowLines() const { return m_reader.rowLines(); }
    // The line the next byte read stands on.
    qint64 nextLine() const { return m_reader.nextLine(); }
    const AnswerTable& answers() const { return m_answers.table(); }

private:
    Format m_format;
    Codec m_codec;
    ListAnswers m_answers;
    RowReader m_reader;
    bool m_headerTaken;
};

} // namespace zunova::list
