#include "xmlevents.h"

#include <expat.h>

#include <algorithm>
#include <memory>

namespace zunova::workbook {
namespace {

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

} // namespace

list::Problem XmlEvents::parse(QByteArrayView xml) {
    return parse([&xml](QByteArrayView& piece) {
        // Expat keeps what it is given in a buffer of its own: a piece at a time, that buffer
        // stays small however large the part.
        constexpr qsizetype kPiece = 1024 * 1024;
        piece = xml.first(std::min(kPiece, xml.size()));
        xml = xml.sliced(piece.size());
        return list::Problem::None;
    });
}

list::Problem XmlEvents::parse(const Pieces& pieces) {
    const Parser parser(XML_ParserCreate(nullptr));
    if (!parser)
        return list::Problem::Damaged;
    m_parser = parser.get();
    m_depth = 0;
    m_skipFrom = 0;
    m_problem = list::Problem::None;
    m_utf8 = true;
    XML_SetUserData(parser.get(), this);
    XML_SetElementHandler(parser.get(), started, ended);
    XML_SetCharacterDataHandler(parser.get(), gotCharacters);
    XML_SetXmlDeclHandler(parser.get(), [](void* events, const char*, const char* encoding, int) {
        auto* self = static_cast<XmlEvents*>(events);
        self->m_utf8 = self->m_utf8 && (!encoding || qstricmp(encoding, "UTF-8") == 0);
    });
    XML_SetStartDoctypeDeclHandler(
        parser.get(), [](void* events, const char*, const char*, const char*, int) {
            static_cast<XmlEvents*>(events)->stop(list::Problem::Damaged);
        });
    bool parsed = true;
    for (bool first = true; parsed && m_problem == list::Problem::None; first = false) {
        QByteArrayView piece;
        if (const list::Problem problem = pieces(piece); problem != list::Problem::None) {
            m_problem = problem;
            break;
        }
        // UTF-16 starts with its byte-order mark or a '<' of two bytes; anything else declares
        // its encoding, or is UTF-8.
        if (first)
            m_utf8 = !(piece.startsWith("\xFE\xFF") || piece.startsWith("\xFF\xFE") ||
                       piece.startsWith(QByteArrayView("\0<", 2)) ||
                       piece.startsWith(QByteArrayView("<\0", 2)));
        const bool last = piece.isEmpty();
        parsed = XML_Parse(parser.get(), piece.data(), int(piece.size()),
                           last ? XML_TRUE : XML_FALSE) == XML_STATUS_OK;
        if (last)
            break;
    }
    m_parser = nullptr;
    if (m_problem != list::Problem::None)
        return m_problem;
    if (!parsed && XML_GetErrorCode(parser.get()) == XML_ERROR_UNKNOWN_ENCODING)
        return list::Problem::XmlEncoding;
    return parsed ? list::Problem::None : list::Problem::Damaged;
}

void XmlEvents::stop(list::Problem problem) {
    if (m_problem == list::Problem::None)
        m_problem = problem;
    XML_StopParser(XML_Parser(m_parser), XML_FALSE);
}

qsizetype XmlEvents::tagFrom() const {
    return qsizetype(XML_GetCurrentByteIndex(XML_Parser(m_parser)));
}

qsizetype XmlEvents::tagLength() const {
    return XML_GetCurrentByteCount(XML_Parser(m_parser));
}

QByteArrayView XmlEvents::localName(QByteArrayView name) {
    return name.sliced(name.indexOf(':') + 1);
}

QByteArrayView XmlEvents::attribute(const char** attributes, QByteArrayView name) {
    for (; attributes[0]; attributes += 2) {
        if (name == attributes[0])
            return attributes[1];
    }
    return {};
}

void XmlEvents::started(void* events, const char* name, const char** attributes) {
    auto* self = static_cast<XmlEvents*>(events);
    ++self->m_depth;
    if (self->m_skipFrom == 0 && self->m_problem == list::Problem::None)
        self->startElement(name, attributes);
}

void XmlEvents::ended(void* events, const char* name) {
    auto* self = static_cast<XmlEvents*>(events);
    // Expat ends an element of one tag (<x/>) even after its start stopped the parse.
    const bool stopped = self->m_problem != list::Problem::None;
    if (self->m_skipFrom == 0 && !stopped)
        self->endElement(name);
    else if (self->m_skipFrom == self->m_depth)
        self->m_skipFrom = 0;
    --self->m_depth;
}

void XmlEvents::gotCharacters(void* events, const char* text, int length) {
    auto* self = static_cast<XmlEvents*>(events);
    if (self->m_skipFrom == 0 && self->m_problem == list::Problem::None)
        self->characters(QByteArrayView(text, length));
}

} // namespace zunova::workbook
