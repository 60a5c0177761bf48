#pragma once

#include "rowreader.h"
#include "textcodec.h"
#include "textformat.h"

#include "list/listpipeline.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>

namespace zunova::textlist {

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
    list::Problem stopped() const { return m_stopped; }

private:
    Encoding m_encoding;
    bool m_checked;
    std::unique_ptr<Utf16Reader> m_utf16;
    QByteArray m_converted;
    QByteArray m_cutOff; // the start of a character the last piece cut off
    list::Problem m_stopped = list::Problem::None;
};

// Reads a text list's rows from its working bytes, piece by piece, and answers each through
// the list pipeline: the one way a text list is read, whichever front reads it.
class TextListReader {
public:
    TextListReader(const Format& format, lookup::RecordSource& records);

    // `read`: the row as read, valid during the call; `row`: what the pipeline made of it;
    // `entered`: a number row's number as the query read it. False stops the reading.
    using Each =
        std::function<bool(const Row& read, const list::ListRow& row, QStringView entered)>;
    // Reads the next piece of working bytes (`last`: the data end after it).
    RowReader::Status read(QByteArrayView working, bool last, const Each& each);
    // The line the row being read starts on (where a RowTooLong or an unclosed quote lies), and
    // how many lines it took in.
    qint64 rowLine() const { return m_reader.rowLine(); }
    qint64 rowLines() const { return m_reader.rowLines(); }
    // The line the next byte read stands on.
    qint64 nextLine() const { return m_reader.nextLine(); }
    const list::AnswerTable& answers() const { return m_pipeline.answers(); }

private:
    Codec m_codec;
    list::ListPipeline m_pipeline;
    RowReader m_reader;
};

} // namespace zunova::textlist
