// The workbook's package: a zip of XML parts tied together by relationships, read with libzip
// from memory; and the OLE compound files that are not one, told apart.
#include "sheetxml.h"
#include "workbook.h"

#include <QBuffer>
#include <QHash>
#include <QSet>
#include <QtEndian>
#include <QUrl>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>

namespace zunova::workbook {
namespace {

using list::Problem;

struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscard>;
struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;
struct FileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using File = std::unique_ptr<zip_file_t, FileClose>;

class ZipError {
public:
    ZipError() { zip_error_init(&m_error); }
    ~ZipError() { zip_error_fini(&m_error); }
    ZipError(const ZipError&) = delete;
    ZipError& operator=(const ZipError&) = delete;
    zip_error_t* get() { return &m_error; }
    int code() { return zip_error_code_zip(&m_error); }

private:
    zip_error_t m_error;
};

// Opens the zip in `data`, which must outlive it. With `source`, for writing: libzip writes
// the new package into that buffer source, which is kept for reading it back.
Archive openZip(const QByteArray& data, int& error, Source* source = nullptr) {
    ZipError zipError;
    Source buffer;
    if (source) {
        // libzip's own copy: writing keeps the package's first bytes and hands them, to be
        // freed, to the buffer it writes, which a QByteArray's data must not be.
        void* copy = std::malloc(std::size_t(std::max<qsizetype>(data.size(), 1)));
        if (copy) {
            std::memcpy(copy, data.constData(), std::size_t(data.size()));
            buffer.reset(
                zip_source_buffer_create(copy, zip_uint64_t(data.size()), 1, zipError.get()));
            if (!buffer)
                std::free(copy);
        }
    } else {
        buffer.reset(zip_source_buffer_create(data.constData(), zip_uint64_t(data.size()), 0,
                                              zipError.get()));
    }
    zip_t* archive =
        buffer ? zip_open_from_source(buffer.get(), source ? 0 : ZIP_RDONLY, zipError.get())
               : nullptr;
    if (!archive) {
        error = zipError.code();
        return nullptr;
    }
    if (source) {
        zip_source_keep(buffer.get());
        *source = std::move(buffer);
    } else {
        buffer.release(); // the archive's now
    }
    return Archive(archive);
}

// Part names are case-insensitive in a package.
std::optional<zip_uint64_t> locate(zip_t* archive, const QString& name) {
    const zip_int64_t index = zip_name_locate(archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    return index < 0 ? std::nullopt : std::optional(zip_uint64_t(index));
}

// The most entries the zip's end records claim: libzip reads every entry of the central
// directory of each end record it finds (in the last 64 KiB, the room of a zip's comment), at a
// cost in time and memory for each, before anything can be said of them.
qint64 claimedEntries(QByteArrayView data) {
    const auto u16 = [&](qint64 at) -> qint64 {
        return at >= 0 && at + 2 <= data.size() ? qFromLittleEndian<quint16>(data.data() + at) : 0;
    };
    const auto u64 = [&](qint64 at) -> quint64 {
        return at >= 0 && at + 8 <= data.size() ? qFromLittleEndian<quint64>(data.data() + at) : 0;
    };
    const auto isAt = [&](quint64 at, QByteArrayView signature) {
        return at <= quint64(data.size()) && data.sliced(qsizetype(at)).startsWith(signature);
    };
    constexpr qsizetype kEndRecord = 22;
    qint64 entries = 0;
    for (qsizetype at = std::max<qsizetype>(data.size() - kEndRecord - 0xFFFF, 0);
         (at = data.indexOf("PK\5\6", at)) >= 0; ++at) {
        entries = std::max(entries, u16(at + 10));
        // Zip64: a locator just before it gives where the record of 64-bit counts lies.
        const quint64 record = isAt(quint64(at) - 20, "PK\6\7") ? u64(at - 20 + 8) : ~0ull;
        if (isAt(record, "PK\6\6"))
            entries = std::max(entries, qint64(std::min<quint64>(u64(qint64(record) + 32),
                                                                 quint64(list::kMaxParts) + 1)));
    }
    return entries;
}

// The first entry whose name, in any case, an entry before it has: readers differ on which of
// the two the package means (libzip, and so this program, finds the first; others take the
// last), so a copy would change a part they do not read. Empty where every name is its own.
QString repeatedEntry(zip_t* archive) {
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    QSet<QByteArray> names;
    names.reserve(qsizetype(entries));
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* name = zip_get_name(archive, zip_uint64_t(i), 0);
        if (!name)
            continue;
        QByteArray folded = QByteArray(name).toLower(); // part names ignore ASCII case alone
        if (names.contains(folded))
            return QString::fromUtf8(name);
        names.insert(std::move(folded));
    }
    return {};
}

// A part's bytes, uncompressed. Counted as they come out: a directory may say a part is small
// and then inflate it to gigabytes.
Problem readPart(zip_t* archive, zip_uint64_t index, QByteArray& out) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0)
        return Problem::Damaged;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return Problem::Encrypted;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(list::kMaxPartBytes))
        return Problem::PartTooLarge;
    File file(zip_fopen_index(archive, index, 0));
    if (!file)
        return Problem::Damaged;
    // Inflated straight into `out`: the size the directory gives, and a byte more for the read
    // that finds the end; a part larger than it says takes room a piece at a time.
    constexpr qsizetype kPiece = 1024 * 1024;
    out.clear();
    out.reserve((stat.valid & ZIP_STAT_SIZE) ? qsizetype(stat.size) + 1 : kPiece);
    for (;;) {
        const qsizetype at = out.size();
        const qsizetype room = std::min(out.capacity() > at ? out.capacity() - at : kPiece,
                                        qsizetype(list::kMaxPartBytes) + 1 - at);
        out.resize(at + room);
        const zip_int64_t got = zip_fread(file.get(), out.data() + at, zip_uint64_t(room));
        out.resize(at + std::max<qsizetype>(qsizetype(got), 0));
        if (got < 0)
            return Problem::Damaged; // a CRC or a compressed stream that is wrong
        if (got == 0)
            return Problem::None;
        if (out.size() > list::kMaxPartBytes)
            return Problem::PartTooLarge;
    }
}

// A part's bytes as they inflate, a piece at a time, counted as they come out.
class PartPieces {
public:
    PartPieces(zip_t* archive, zip_uint64_t index) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, index, 0, &stat) != 0) {
            m_problem = Problem::Damaged;
        } else if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
                   stat.encryption_method != ZIP_EM_NONE) {
            m_problem = Problem::Encrypted;
        } else {
            m_size = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0;
            m_file.reset(zip_fopen_index(archive, index, 0));
            m_problem = m_file ? Problem::None : Problem::Damaged;
        }
    }
    // What the zip's directory says the part's size is.
    qint64 size() const { return m_size; }

    Problem operator()(QByteArrayView& piece) {
        if (m_problem != Problem::None)
            return m_problem;
        constexpr qsizetype kPiece = 1024 * 1024;
        m_buffer.resize(kPiece);
        const zip_int64_t got = zip_fread(m_file.get(), m_buffer.data(), kPiece);
        if (got < 0)
            return m_problem = Problem::Damaged; // a CRC or a compressed stream that is wrong
        m_read += got;
        if (m_read > list::kMaxPartBytes)
            return m_problem = Problem::PartTooLarge;
        piece = QByteArrayView(m_buffer).first(qsizetype(got));
        return Problem::None;
    }

private:
    File m_file;
    QByteArray m_buffer;
    qint64 m_size = 0;
    qint64 m_read = 0;
    Problem m_problem = Problem::None;
};

Problem readPart(zip_t* archive, const QString& name, QByteArray& out) {
    const auto index = locate(archive, name);
    return index ? readPart(archive, *index, out) : Problem::Damaged;
}

// What an OLE compound file holds, by the names of its streams: Office wraps a
// password-protected workbook in one, with the encrypted package beside an "EncryptionInfo";
// Excel 97 to 2003 wrote a "Workbook" stream, Excel 5 and 95 a "Book".
Problem compoundFileProblem(QByteArrayView data) {
    const auto u32 = [&](qint64 at) -> quint32 {
        return at >= 0 && at + 4 <= data.size() ? qFromLittleEndian<quint32>(data.data() + at) : 0;
    };
    const auto u16 = [&](qint64 at) -> quint16 {
        return at >= 0 && at + 2 <= data.size() ? qFromLittleEndian<quint16>(data.data() + at) : 0;
    };
    constexpr quint32 kLastSector = 0xFFFFFFFA; // higher numbers end a chain or mark free
    const int shift = u16(0x1E);
    if (shift != 9 && shift != 12)
        return Problem::NotWorkbook;
    const qint64 sectorSize = qint64(1) << shift;
    const qint64 sectors = data.size() / sectorSize; // no chain is longer
    const auto sectorAt = [&](quint32 sector) {
        return (qint64(sector) + 1) * sectorSize;
    };

    // The sectors of the allocation table: the first 109 listed in the header, the rest in a
    // chain of sectors of their own.
    std::vector<quint32> table;
    const quint32 tableSectors = std::min<quint32>(u32(0x2C), quint32(sectors));
    for (int i = 0; i < 109 && table.size() < tableSectors; ++i)
        table.push_back(u32(0x4C + 4 * i));
    quint32 more = u32(0x44);
    for (qint64 step = 0; table.size() < tableSectors && more < kLastSector && step < sectors;
         ++step) {
        for (qint64 i = 0; i < sectorSize / 4 - 1 && table.size() < tableSectors; ++i)
            table.push_back(u32(sectorAt(more) + 4 * i));
        more = u32(sectorAt(more) + sectorSize - 4);
    }
    const auto next = [&](quint32 sector) -> quint32 {
        const qint64 perSector = sectorSize / 4;
        const auto at = std::size_t(sector / perSector);
        return at < table.size() ? u32(sectorAt(table[at]) + 4 * (sector % perSector)) : ~0u;
    };

    bool workbook = false;
    quint32 sector = u32(0x30); // the directory's first
    for (qint64 step = 0; sector < kLastSector && step < sectors; ++step, sector = next(sector)) {
        for (qint64 entry = sectorAt(sector); entry < sectorAt(sector) + sectorSize; entry += 128) {
            const int units = std::min<int>(u16(entry + 0x40) / 2, 32) - 1; // less the NUL
            constexpr char kStream = 2;
            if (entry + 128 > data.size() || data[entry + 0x42] != kStream || units <= 0)
                continue;
            QString name;
            for (int i = 0; i < units; ++i)
                name += QChar(u16(entry + 2 * i));
            if (name.compare(u"EncryptionInfo", Qt::CaseInsensitive) == 0)
                return Problem::Encrypted;
            workbook = workbook || name.compare(u"Workbook", Qt::CaseInsensitive) == 0 ||
                       name.compare(u"Book", Qt::CaseInsensitive) == 0;
        }
    }
    return workbook ? Problem::BinaryWorkbook : Problem::NotWorkbook;
}

struct Relationship {
    QString type; // the last segment of its URI: "worksheet", "sharedStrings"...
    QString target;
};

// The relationships of the part `partName`, by id, their targets resolved to part names.
// Relationships to outside the package are left out.
Problem readRelationships(zip_t* archive, const QString& partName,
                          QHash<QString, Relationship>& out) {
    const qsizetype slash = partName.lastIndexOf(u'/');
    const QString folder = partName.first(slash + 1);
    const QString relsName =
        folder + QStringLiteral("_rels/") + partName.sliced(slash + 1) + QStringLiteral(".rels");
    QByteArray xml;
    if (!locate(archive, relsName))
        return Problem::None;
    if (const Problem problem = readPart(archive, relsName, xml); problem != Problem::None)
        return problem;
    // From a device the XML is decoded a piece at a time; given whole, it is held again,
    // decoded, at twice its size.
    QBuffer device;
    device.setData(xml);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (!reader.readNextStartElement() || reader.name() != u"Relationships")
        return Problem::Damaged;
    while (reader.readNextStartElement()) {
        const auto attributes = reader.attributes();
        if (reader.name() == u"Relationship" &&
            attributes.value(QLatin1StringView("TargetMode")) != u"External") {
            const QString type = attributes.value(QLatin1StringView("Type")).toString();
            QString target =
                QUrl::fromPercentEncoding(attributes.value(QLatin1StringView("Target")).toUtf8());
            target = target.startsWith(u'/') ? target.sliced(1) : folder + target;
            QStringList path;
            for (const QString& segment : target.split(u'/', Qt::SkipEmptyParts)) {
                if (segment == u"..") {
                    if (!path.isEmpty())
                        path.removeLast();
                } else if (segment != u".")
                    path.append(segment);
            }
            out.insert(attributes.value(QLatin1StringView("Id")).toString(),
                       {type.sliced(type.lastIndexOf(u'/') + 1), path.join(u'/')});
            if (out.size() > list::kMaxParts)
                return Problem::TooLargeInside;
        }
        reader.skipCurrentElement();
    }
    return reader.hasError() ? Problem::Damaged : Problem::None;
}

const Relationship* ofType(const QHash<QString, Relationship>& relationships, QStringView type) {
    for (const Relationship& relationship : relationships) {
        if (relationship.type == type)
            return &relationship;
    }
    return nullptr;
}

// The new sheet as libzip reads it to deflate it: made as it is read, never whole in memory.
struct SpliceSource {
    sheetxml::CellSplice& splice;
    zip_error_t error;
};

zip_int64_t readSplice(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* source = static_cast<SpliceSource*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_READ:
        return source->splice.read(static_cast<char*>(data), qsizetype(length));
    case ZIP_SOURCE_STAT: // of a size not known before it is made
        zip_stat_init(static_cast<zip_stat_t*>(data));
        return sizeof(zip_stat_t);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source->error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// Puts `source` in the place of the entry at `index`, under its name and with its time stamp,
// deflated at zlib's level 2 (tools/bench-workbook.sh: the copy's time, doc/performance.md).
// libzip keeps a compression level only for an entry it did not read (a replaced one keeps its
// method's default level), so the old entry goes and a new one takes its name; it then stands
// last in the zip, where readers of packages find it by name as well.
Problem replaceEntry(zip_t* archive, zip_uint64_t index, const QString& name, Source source) {
    constexpr int kLevel = 2;
    zip_stat_t stat;
    zip_stat_init(&stat);
    zip_stat_index(archive, index, 0, &stat);
    if (!source || zip_delete(archive, index) < 0)
        return Problem::CannotWrite;
    const zip_int64_t added = zip_file_add(archive, name.toUtf8().constData(), source.get(), 0);
    if (added < 0)
        return Problem::CannotWrite;
    source.release(); // the archive's now
    zip_set_file_compression(archive, zip_uint64_t(added), ZIP_CM_DEFLATE, kLevel);
    if (stat.valid & ZIP_STAT_MTIME)
        zip_file_set_mtime(archive, zip_uint64_t(added), stat.mtime, 0);
    return Problem::None;
}

// Puts `bytes` in the place of the entry at `index`; they are held until the package is written.
Problem replaceWith(zip_t* archive, zip_uint64_t index, const QByteArray& bytes) {
    const QString name = QString::fromUtf8(zip_get_name(archive, index, 0));
    return replaceEntry(
        archive, index, name,
        Source(zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0)));
}

// Puts the sheet's tables that take the new columns in the place of their parts; `grown` holds
// their XML until the package is written. A table that does not read is copied as it is.
Problem growTables(zip_t* archive, const QString& sheetPart, const AddedColumns& added,
                   std::list<QByteArray>& grown) {
    QHash<QString, Relationship> relationships;
    if (added.headerRow() == 0 ||
        readRelationships(archive, sheetPart, relationships) != Problem::None)
        return Problem::None;
    QStringList tables; // in order, so that every copy of a workbook is the same
    for (const Relationship& relationship : relationships) {
        if (relationship.type == u"table" && !tables.contains(relationship.target))
            tables << relationship.target;
    }
    tables.sort();
    for (const QString& table : tables) {
        const auto index = locate(archive, table);
        QByteArray xml;
        QByteArray out;
        if (!index || readPart(archive, *index, xml) != Problem::None ||
            !sheetxml::growTable(xml, added, out))
            continue;
        if (replaceWith(archive, *index, grown.emplace_back(std::move(out))) != Problem::None)
            return Problem::CannotWrite;
    }
    return Problem::None;
}

// Puts the workbook part with the sheet's filter range grown, as the sheet's filter grows, in
// the place of the one it was; `grown` holds it until the package is written.
Problem growFilterName(zip_t* archive, const QString& workbookPart, const QString& sheet,
                       const sheetxml::CellSplice& splice, std::list<QByteArray>& grown) {
    const auto change = splice.grownFilter();
    const auto index = change ? locate(archive, workbookPart) : std::nullopt;
    QByteArray xml;
    QByteArray out;
    if (!index || readPart(archive, *index, xml) != Problem::None ||
        !sheetxml::growFilterName(xml, sheet, change->first, change->second, out))
        return Problem::None;
    return replaceWith(archive, *index, grown.emplace_back(std::move(out)));
}

// All of what a buffer source holds, written to `out` a piece at a time.
bool copyAll(zip_source_t* source, QIODevice& out) {
    if (zip_source_open(source) < 0)
        return false;
    constexpr qsizetype kPiece = 1024 * 1024;
    QByteArray piece(kPiece, Qt::Uninitialized);
    zip_int64_t got = 0;
    while ((got = zip_source_read(source, piece.data(), zip_uint64_t(kPiece))) > 0) {
        for (qsizetype at = 0; at < got;) {
            const qint64 written = out.write(piece.constData() + at, qsizetype(got) - at);
            if (written <= 0) {
                zip_source_close(source);
                return false;
            }
            at += qsizetype(written);
        }
    }
    zip_source_close(source);
    return got == 0;
}

// A problem met in a part of the package.
list::Outcome inPart(Problem problem, const QString& part, qint64 row = 0) {
    return {.problem = problem, .line = row, .part = part};
}

// A workbook read from its zip package.
class PackageWorkbook final : public Workbook {
public:
    static Opened open(const QByteArray& data);

    const std::vector<Sheet>& sheets() const override { return m_sheets; }
    SheetCells cells(int index) const override;
    list::Outcome write(const AddedColumns& added, QIODevice& out) const override;

private:
    // What every sheet's cells are read with: the shared strings and the date styles, or the
    // problem met reading them.
    struct Shared {
        list::Outcome outcome;
        sheetxml::SharedStrings strings;
        std::vector<bool> dateStyles;
    };
    // The sheet read last: its part's XML, as UTF-8, and where its rows lie, which its copy is
    // spliced from.
    struct ReadSheet {
        int index = -1;
        QByteArray part; // its name in lower case
        QByteArray xml;
        sheetxml::SheetLayout layout;
    };

    list::Outcome readSheets(zip_t* archive, const QString& workbookPart);
    list::Outcome readShared(zip_t* archive) const;
    SheetCells readCells(zip_t* archive, int index) const;

    QByteArray m_data;
    QString m_workbookPart;
    std::vector<Sheet> m_sheets;
    QString m_sharedStringsPart; // empty where the workbook has none
    QString m_stylesPart;
    bool m_date1904 = false; // day 0 is 1904-01-01, as in workbooks from old Macs
    // Read once, when first needed. cells() and write() may run on different threads.
    mutable std::mutex m_guard;
    mutable std::optional<Shared> m_shared;
    mutable ReadSheet m_readSheet;
    // The sheets' parts that could not be read, by name in lower case, and why.
    mutable QHash<QByteArray, list::Outcome> m_failedParts;
    mutable qint64 m_sheetBytesRead = 0; // the XML of every sheet's part read so far
};

} // namespace

extern "C" void zunova_open_workbook(const QByteArray* data, Workbook::Opened* opened) {
    *opened = PackageWorkbook::open(*data);
}

QString columnName(int column) {
    QString name;
    for (; column > 0; column = (column - 1) / 26)
        name.prepend(QChar(u'A' + (column - 1) % 26));
    return name;
}

Workbook::Opened PackageWorkbook::open(const QByteArray& data) {
    const auto failed = [](list::Outcome outcome) {
        return Opened{{}, std::move(outcome)};
    };
    if (data.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return failed({.problem = compoundFileProblem(data)});
    // libzip takes no bytes at all for an empty zip.
    if (data.isEmpty())
        return failed({.problem = Problem::NotZip});
    if (claimedEntries(data) > list::kMaxParts)
        return failed({.problem = Problem::TooLargeInside});
    int error = 0;
    const Archive archive = openZip(data, error);
    if (!archive)
        return failed({.problem = error == ZIP_ER_NOZIP ? Problem::NotZip : Problem::Damaged});
    if (const QString repeated = repeatedEntry(archive.get()); !repeated.isEmpty())
        return failed(inPart(Problem::Damaged, repeated));

    // The package's own relationships name its main part; a workbook's is xl/workbook.xml.
    QHash<QString, Relationship> relationships;
    if (const Problem problem = readRelationships(archive.get(), QString(), relationships);
        problem != Problem::None)
        return failed(inPart(problem, QStringLiteral("_rels/.rels")));
    const Relationship* main = ofType(relationships, u"officeDocument");
    const QString workbookPart = main ? main->target : QStringLiteral("xl/workbook.xml");
    if (!locate(archive.get(), workbookPart))
        return failed({.problem = Problem::NotWorkbook});
    if (workbookPart.endsWith(u".bin", Qt::CaseInsensitive))
        return failed({.problem = Problem::BinaryWorkbook});

    auto workbook = std::make_unique<PackageWorkbook>();
    workbook->m_data = data;
    if (list::Outcome outcome = workbook->readSheets(archive.get(), workbookPart); !outcome.ok())
        return failed(std::move(outcome));
    return {std::move(workbook), {}};
}

// The workbook part's sheets, in its order, and its other parts.
list::Outcome PackageWorkbook::readSheets(zip_t* archive, const QString& workbookPart) {
    m_workbookPart = workbookPart;
    QByteArray xml;
    if (const Problem problem = readPart(archive, workbookPart, xml); problem != Problem::None)
        return inPart(problem, workbookPart);
    QHash<QString, Relationship> relationships;
    if (const Problem problem = readRelationships(archive, workbookPart, relationships);
        problem != Problem::None)
        return inPart(problem, workbookPart);
    if (const Relationship* part = ofType(relationships, u"sharedStrings"))
        m_sharedStringsPart = part->target;
    if (const Relationship* part = ofType(relationships, u"styles"))
        m_stylesPart = part->target;
    // From a device the XML is decoded a piece at a time; given whole, it is held again,
    // decoded, at twice its size.
    QBuffer device;
    device.setData(xml);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (!reader.readNextStartElement() || reader.name() != u"workbook")
        return reader.hasError() ? inPart(Problem::Damaged, workbookPart)
                                 : list::Outcome{.problem = Problem::NotWorkbook};
    while (reader.readNextStartElement()) {
        if (reader.name() == u"workbookPr") {
            const auto date1904 = reader.attributes().value(QLatin1StringView("date1904"));
            m_date1904 = date1904 == u"1" || date1904 == u"true";
        } else if (reader.name() == u"sheets") {
            while (reader.readNextStartElement()) {
                const auto attributes = reader.attributes();
                // The relationship's id is r:id, in the namespace of relationships (whichever
                // its prefix, and whichever of the two that namespace is).
                const auto id = std::find_if(attributes.begin(), attributes.end(), [](auto& a) {
                    return a.name() == u"id" && !a.namespaceUri().isEmpty();
                });
                const auto relationship = id == attributes.end()
                                              ? relationships.end()
                                              : relationships.find(id->value().toString());
                if (reader.name() == u"sheet" && relationship != relationships.end() &&
                    relationship->type == u"worksheet") {
                    if (!locate(archive, relationship->target))
                        return inPart(Problem::Damaged, relationship->target);
                    if (qint64(m_sheets.size()) == list::kMaxSheets)
                        return {.problem = Problem::TooLargeInside};
                    const auto state = attributes.value(QLatin1StringView("state"));
                    m_sheets.push_back({attributes.value(QLatin1StringView("name")).toString(),
                                        state == u"hidden" || state == u"veryHidden",
                                        relationship->target});
                }
                reader.skipCurrentElement();
            }
            continue;
        }
        reader.skipCurrentElement();
    }
    if (reader.hasError())
        return inPart(Problem::Damaged, workbookPart);
    if (m_sheets.empty())
        return {.problem = Problem::NoSheet};
    return {};
}

list::Outcome PackageWorkbook::readShared(zip_t* archive) const {
    if (m_shared)
        return m_shared->outcome;
    Shared& shared = m_shared.emplace();
    const auto failed = [&shared](Problem problem, const QString& part) {
        shared = {};
        shared.outcome = inPart(problem, part);
        return shared.outcome;
    };
    // The shared strings as they inflate: their XML is never held whole.
    if (const auto index =
            m_sharedStringsPart.isEmpty() ? std::nullopt : locate(archive, m_sharedStringsPart)) {
        PartPieces pieces(archive, *index);
        if (const Problem problem = sheetxml::readSharedStrings(
                std::ref(pieces), qsizetype(pieces.size()), shared.strings);
            problem != Problem::None)
            return failed(problem, m_sharedStringsPart);
    }
    if (!m_stylesPart.isEmpty() && locate(archive, m_stylesPart)) {
        QByteArray xml;
        Problem problem = readPart(archive, m_stylesPart, xml);
        if (problem == Problem::None)
            problem = sheetxml::readDateStyles(xml, shared.dateStyles);
        if (problem != Problem::None)
            return failed(problem, m_stylesPart);
    }
    return {};
}

// Reads the sheet at `index`, and keeps its XML and layout for its copy; m_guard held. Each part
// is inflated once: sheets may share one, and one that failed fails again as it did.
SheetCells PackageWorkbook::readCells(zip_t* archive, int index) const {
    SheetCells failed;
    if (failed.outcome = readShared(archive); !failed.outcome.ok())
        return failed;
    const QString& part = m_sheets[std::size_t(index)].part;
    const QByteArray name = part.toUtf8().toLower();
    if (const auto known = m_failedParts.constFind(name); known != m_failedParts.constEnd()) {
        failed.outcome = *known;
        return failed;
    }
    m_readSheet.index = -1;
    if (m_readSheet.part != name) {
        m_readSheet = {};
        if (m_sheetBytesRead >= list::kMaxSheetBytesRead) {
            failed.outcome = {.problem = Problem::TooLargeInside};
            return failed;
        }
        Problem problem = readPart(archive, part, m_readSheet.xml);
        m_sheetBytesRead += m_readSheet.xml.size();
        if (problem == Problem::None)
            problem = sheetxml::toUtf8(m_readSheet.xml);
        if (problem != Problem::None) {
            m_readSheet = {};
            failed.outcome = inPart(problem, part);
            m_failedParts.insert(name, failed.outcome);
            return failed;
        }
        m_readSheet.part = name;
    }
    SheetCells cells = sheetxml::readSheet(
        m_readSheet.xml, {m_shared->strings, m_shared->dateStyles, m_date1904}, m_readSheet.layout);
    if (cells.outcome.ok()) {
        m_readSheet.index = index;
    } else {
        cells.outcome.part = part;
        m_failedParts.insert(name, cells.outcome);
        m_readSheet = {};
    }
    return cells;
}

SheetCells PackageWorkbook::cells(int index) const {
    SheetCells failed;
    if (index < 0 || std::size_t(index) >= m_sheets.size()) {
        failed.outcome = {.problem = Problem::NoSuchSheet};
        return failed;
    }
    int error = 0;
    const Archive archive = openZip(m_data, error);
    if (!archive) {
        failed.outcome = {.problem = Problem::Damaged};
        return failed;
    }
    const std::lock_guard lock(m_guard);
    return readCells(archive.get(), index);
}

list::Outcome PackageWorkbook::write(const AddedColumns& added, QIODevice& out) const {
    if (added.sheet() < 0 || std::size_t(added.sheet()) >= m_sheets.size())
        return {.problem = Problem::NoSuchSheet};
    const QString& part = m_sheets[std::size_t(added.sheet())].part;
    int error = 0;
    Source package;
    Archive archive = openZip(m_data, error, &package);
    const auto index = archive ? locate(archive.get(), part) : std::nullopt;
    if (!index)
        return inPart(Problem::Damaged, part);
    // The sheet read last, with its XML and layout, stays as it is until the copy is made.
    const std::lock_guard lock(m_guard);
    if (m_readSheet.index != added.sheet()) {
        if (list::Outcome outcome = readCells(archive.get(), added.sheet()).outcome; !outcome.ok())
            return outcome;
    }
    sheetxml::CellSplice splice(m_readSheet.xml, m_readSheet.layout, added);
    if (const Problem problem = splice.check(); problem != Problem::None)
        return inPart(problem, part);
    std::list<QByteArray> grown; // the other parts that change
    if (growTables(archive.get(), part, added, grown) != Problem::None ||
        growFilterName(archive.get(), m_workbookPart, m_sheets[std::size_t(added.sheet())].name,
                       splice, grown) != Problem::None)
        return {.problem = Problem::CannotWrite};
    SpliceSource state{splice, {}};
    zip_error_init(&state.error);
    // libzip copies every other entry as it is, compressed, and writes the new package into
    // the buffer the archive was opened from.
    const bool written =
        replaceEntry(archive.get(), *index, part,
                     Source(zip_source_function(archive.get(), readSplice, &state))) ==
            Problem::None &&
        zip_close(archive.get()) == 0;
    zip_error_fini(&state.error);
    if (!written)
        return {.problem = Problem::CannotWrite};
    archive.release(); // closed, and freed
    return copyAll(package.get(), out) ? list::Outcome{}
                                       : list::Outcome{.problem = Problem::CannotWrite};
}

} // namespace zunova::workbook
