// The one-by-one scan over arbitrary data-file bytes and an arbitrary number text, checked against
// a reference model of the reader rules (doc/data-files.md; runtime/fieldreader.h).
// Input: the first 7 bytes are positions 1 to 7 of the number, the rest is the file.
#include "fuzzsupport.h"

#include "lookup/query.h"
#include "lookup/recordsource.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace zunova;

namespace {

// The reference model. Deliberately simple and written from the rules alone, in a different
// shape from the reader: the data are first cut into pieces between separators, then pieces
// are taken as fields. It judges only where what the reader reads holds nothing but digits,
// minus signs, commas, line ends, spaces, tabs and double quotes, in fields of at most six
// characters.
namespace model {

enum class Kind { Found, NotFound, Error, Unjudged };

struct Answer {
    Kind kind = Kind::Unjudged;
    int code = 0;  // Found: the carrier code
    int error = 0; // Error: its number and line
    int line = 0;
};
Answer found(int code) {
    Answer a;
    a.kind = Kind::Found;
    a.code = code;
    return a;
}
Answer failed(int error, int line) {
    Answer a;
    a.kind = Kind::Error;
    a.error = error;
    a.line = line;
    return a;
}
Answer notFound() {
    Answer a;
    a.kind = Kind::NotFound;
    return a;
}
constexpr Answer kUnjudged{};

enum class Separator { Start, Comma, LineEnd, End };

// What stands between two separators.
struct Piece {
    Separator before = Separator::Start;
    Separator after = Separator::End;
    int line = 0;        // where the piece starts
    std::size_t end = 0; // where the next piece starts: past its separator
    bool quoted = false;
    bool junkAfterQuote = false; // something other than blanks after the closing quote
    std::string text;            // unquoted: without the blanks around it; quoted: the content
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The length of the line end at `at` (CR LF, LF or CR), or 0 where there is none.
std::size_t lineEndLength(std::string_view data, std::size_t at) {
    if (at >= data.size())
        return 0;
    if (data[at] == '\r')
        return at + 1 < data.size() && data[at + 1] == '\n' ? 2 : 1;
    return data[at] == '\n' ? 1 : 0;
}

std::vector<Piece> cutIntoPieces(std::string_view data) {
    std::vector<Piece> pieces;
    std::size_t at = 0;
    int line = 1;
    Separator before = Separator::Start;
    for (;;) {
        Piece piece;
        piece.before = before;
        piece.line = line;
        while (at < data.size() && isBlank(data[at]))
            ++at;
        if (at < data.size() && data[at] == '"') {
            piece.quoted = true;
            ++at;
            while (at < data.size() && data[at] != '"') {
                if (const std::size_t n = lineEndLength(data, at)) {
                    ++line;
                    piece.text += data.substr(at, n);
                    at += n;
                } else {
                    piece.text += data[at++];
                }
            }
            if (at < data.size())
                ++at; // the closing quote
            while (at < data.size() && isBlank(data[at]))
                ++at;
            if (at < data.size() && data[at] != ',' && lineEndLength(data, at) == 0) {
                // The reader stops here, so nothing after it is cut.
                piece.junkAfterQuote = true;
                piece.end = at;
                pieces.push_back(piece);
                return pieces;
            }
        } else {
            while (at < data.size() && data[at] != ',' && lineEndLength(data, at) == 0)
                piece.text += data[at++];
            while (!piece.text.empty() && isBlank(piece.text.back()))
                piece.text.pop_back();
        }
        if (at == data.size()) {
            piece.after = Separator::End;
            piece.end = at;
            pieces.push_back(piece);
            return pieces;
        }
        if (data[at] == ',') {
            piece.after = Separator::Comma;
            ++at;
        } else {
            piece.after = Separator::LineEnd;
            at += lineEndLength(data, at);
            ++line;
        }
        before = piece.after;
        piece.end = at;
        pieces.push_back(piece);
    }
}

// A field's value, or the error it raises; nothing when the model does not judge it.
struct Value {
    int value = 0;
    int error = 0;
};
std::optional<Value> valueOf(const Piece& piece) {
    std::string text = piece.text;
    if (text.empty())
        return Value{0, 0};
    if (text.size() > 6)
        return std::nullopt;
    if (piece.quoted) { // converted like typed text: spaces around it do not count
        while (!text.empty() && text.front() == ' ')
            text.erase(text.begin());
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
    }
    std::size_t at = 0;
    const bool negative = at < text.size() && text[at] == '-';
    at += negative;
    if (at == text.size())
        return Value{0, 13};
    int magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9')
            return Value{0, 13};
        magnitude = magnitude * 10 + (text[at] - '0');
    }
    const int value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return Value{0, 6};
    return Value{value, 0};
}

Answer lookUp(std::string_view file, int block, int column) {
    const std::string_view data = file.substr(0, file.find('\x1A'));
    if (data.size() > 60'000) // no field can come near the reader's 64 KiB cap
        return kUnjudged;
    const std::vector<Piece> pieces = cutIntoPieces(data);
    std::size_t next = 0;
    // An answer holds only when what was read to reach it is in the simple alphabet; what
    // follows is never read, so it may be anything.
    auto judged = [&](Answer answer) {
        const std::string_view read = data.substr(0, next == 0 ? 0 : pieces[next - 1].end);
        for (char c : read)
            if (std::string_view("0123456789-,\r\n \t\"").find(c) == std::string_view::npos)
                return kUnjudged;
        return answer;
    };
    // The next piece that is a field: anything not blank, or an empty field a comma bounds.
    // Before a record, blank space closed by a line end or the end is not data.
    auto nextField = [&](bool beforeRecord) -> const Piece* {
        while (next < pieces.size()) {
            const Piece& piece = pieces[next++];
            const bool blank = !piece.quoted && piece.text.empty();
            if (!blank || piece.after == Separator::Comma ||
                (piece.before == Separator::Comma && !beforeRecord))
                return &piece;
        }
        return nullptr;
    };

    for (;;) {
        const Piece* field = nextField(true);
        if (!field)
            return judged(notFound());
        int record[11];
        int lastLine = 0;
        for (int f = 0; f < 11; ++f) {
            if (f > 0)
                field = nextField(false);
            if (!field)
                return judged(failed(62, lastLine));
            lastLine = field->line;
            if (field->junkAfterQuote)
                return judged(failed(13, field->line));
            const std::optional<Value> value = valueOf(*field);
            if (!value)
                return kUnjudged;
            if (value->error)
                return judged(failed(value->error, field->line));
            record[f] = value->value;
        }
        if (record[0] == block)
            return judged(found(record[1 + column]));
    }
}

} // namespace model

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7)
        return 0;
    const char* const bytes = reinterpret_cast<const char*>(data);
    const QString number = QString::fromLatin1(bytes, 7) + QStringLiteral("5678");
    std::string content(bytes + 7, size - 7);
    // Position 1 is not used by the lookup: an odd byte there spells the file in the model's
    // alphabet and 0x1A, so that many runs are files the model judges.
    if (bytes[0] & 1) {
        constexpr std::string_view alphabet = "0123456789-,\r\n \t\"\x1A";
        for (char& c : content)
            c = alphabet[static_cast<unsigned char>(c) % alphabet.size()];
    }
    // Positions 4 to 7 that are not all digits are error 13 before any file is opened, so for
    // them there is no file to open.
    const bool digits = std::all_of(bytes + 3, bytes + 7, isAsciiDigit);
    QFile::remove(QStringLiteral("k.dat"));
    if (digits) {
        QFile file(QStringLiteral("k.dat"));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(content.data(), qint64(content.size())) != qint64(content.size()))
            fuzz::violated("writing the data file");
    }

    const fuzz::DescriptorCount fds;
    lookup::FileScan scan;
    if (!digits) {
        // The query refuses them, with a mobile prefix, before any file is opened.
        const lookup::Answer answer = lookup::lookUp(QStringLiteral("090") + number.mid(3), scan);
        const auto* error = std::get_if<runtime::RuntimeError>(&answer);
        fuzz::require(error && error->number() == runtime::ErrorNumber::TypeMismatch &&
                          error->line() == 0 && error->file().isEmpty() && fds.opened() == 0,
                      "positions 4 to 7 that are not digits: error 13, no file");
        return 0;
    }
    const int block = (bytes[3] - '0') * 100 + (bytes[4] - '0') * 10 + (bytes[5] - '0');
    const int column = bytes[6] - '0';
    std::optional<qint16> code;
    int error = 0;
    int line = 0;
    QString file;
    try {
        code = scan.codeOf(QStringLiteral("k.dat"), block, column);
    } catch (const runtime::RuntimeError& e) {
        fuzz::require(fuzz::isDocumentedError(e), "only documented errors");
        error = static_cast<int>(e.number());
        line = e.line();
        file = e.file();
    }
    fuzz::require(fds.opened() == 0, "the data file is closed afterwards");

    const model::Answer expected = model::lookUp(content, block, column);
    switch (expected.kind) {
    case model::Kind::Found:
        fuzz::require(error == 0 && code == expected.code, "the model's code");
        break;
    case model::Kind::NotFound:
        fuzz::require(error == 0 && !code, "no record, as in the model");
        break;
    case model::Kind::Error:
        fuzz::require(error == expected.error, "the model's error");
        fuzz::require(line == expected.line, "the model's line");
        fuzz::require(file == QStringLiteral("k.dat"), "the error names the file");
        break;
    case model::Kind::Unjudged:
        break;
    }
    return 0;
}
