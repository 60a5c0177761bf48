#pragma once

// Reading a part's XML as a stream of events with expat, which hands each element's bytes'
// place in the part, so that cells can be spliced in where the sheet's tags lie, and reads a
// sheet faster than QXmlStreamReader (tools/bench-workbook.sh; doc/performance.md).

#include "list/problem.h"

#include <QByteArrayView>

#include <functional>

namespace zunova::workbook {

class XmlEvents {
public:
    virtual ~XmlEvents() = default;

    // Reads `xml` to its end or until a handler stops; Damaged where it is not well-formed or
    // declares a document type (whose entities could put elements where the bytes have none, or
    // grow a few bytes into gigabytes), XmlEncoding where expat does not know its encoding, else
    // the problem a handler stopped with.
    list::Problem parse(QByteArrayView xml);
    // The same for XML that comes in pieces: `next` sets the next piece, empty at the end, or
    // says the problem that stops it. A piece stays valid until the next call.
    using Pieces = std::function<list::Problem(QByteArrayView& piece)>;
    list::Problem parse(const Pieces& next);

    // Whether the part is UTF-8, as workbooks are written: the only encoding cells are spliced
    // into. Known once the parse has begun.
    bool isUtf8() const { return m_utf8; }

protected:
    // An element's name as written, with any prefix ("x:row"), and its attributes as expat
    // gives them: name, value, name, value..., then null.
    virtual void startElement(QByteArrayView name, const char** attributes) = 0;
    virtual void endElement(QByteArrayView name) { Q_UNUSED(name); }
    // Character data in pieces; entity and character references already replaced.
    virtual void characters(QByteArrayView text) { Q_UNUSED(text); }

    // The element just started: none of what it holds, nor its end, comes to the handlers.
    void skipElement() { m_skipFrom = m_depth; }
    void stop(list::Problem problem);
    // Of the element being handled: 1 for the root.
    int depth() const { return m_depth; }
    // The place of the tag being handled: from its '<' on, and its length. An element written
    // as one tag (<row/>) ends where that tag ends, with length 0.
    qsizetype tagFrom() const;
    qsizetype tagLength() const;

    static QByteArrayView localName(QByteArrayView name);
    // An attribute's value; empty where it has none.
    static QByteArrayView attribute(const char** attributes, QByteArrayView name);

private:
    static void started(void* events, const char* name, const char** attributes);
    static void ended(void* events, const char* name);
    static void gotCharacters(void* events, const char* text, int length);

    void* m_parser = nullptr; // during parse()
    int m_depth = 0;
    int m_skipFrom = 0; // the depth of the element being skipped, or 0
    bool m_utf8 = true;
    list::Problem m_problem = list::Problem::None;
};

} // namespace zunova::workbook
