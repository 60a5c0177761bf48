// The workbook's package: a zip of XML parts tied together by relationships, read with libzip
// from memory; and the OLE compound files that are not one, told apart.
#include "workbook.h"
#include "sheetxml.h"

#include <QHash>
#include <QtEndian>
#include <QUrl>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace zunova::list {
namespace {

using Problem = WorkbookProblem;

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

// A part's bytes, uncompressed. Counted as they come out: a directory may say a part is small
// and then inflate it to gigabytes.
Problem readPart(zip_t* archive, zip_uint64_t index, QByteArray& out) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0)
        return Problem::Damaged;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return Problem::Encrypted;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(kMaxWorkbookPartBytes))
        return Problem::PartTooLarge;
    File file(zip_fopen_index(archive, index, 0));
    if (!file)
        return Problem::Damaged;
    out.clear();
    if (stat.valid & ZIP_STAT_SIZE)
        out.reserve(qsizetype(stat.size));
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer.data(), buffer.size());
        if (got < 0)
            return Problem::Damaged; // a CRC or a compressed stream that is wrong
        if (got == 0)
            return Problem::None;
        if (out.size() + got > kMaxWorkbookPartBytes)
            return Problem::PartTooLarge;
        out.append(buffer.data(), qsizetype(got));
    }
}

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
    return workbook ? Problem::Binary : Problem::NotWorkbook;
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
    QXmlStreamReader reader(xml);
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

// A workbook read from its zip package.
class PackageWorkbook final : public Workbook {
public:
    static Opened open(const QByteArray& data);

    const std::vector<Sheet>& sheets() const override { return m_sheets; }
    SheetText text(int index) const override;
    WorkbookProblem write(const AddedColumns& added, QByteArray& out) const override;

private:
    // Where the sheet's rows lie, as reading it as text found them: a copy is spliced there.
    Problem layoutOf(int index, std::shared_ptr<const sheetxml::SheetLayout>& out) const;

    QByteArray m_data;
    std::vector<Sheet> m_sheets;
    mutable std::mutex m_layoutsGuard; // text() and write() may run on different threads
    mutable std::map<int, std::shared_ptr<const sheetxml::SheetLayout>> m_layouts;
    QString m_sharedStrings; // parts; empty where the workbook has none
    QString m_styles;
    bool m_date1904 = false; // day 0 is 1904-01-01, as in workbooks from old Macs
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
    if (data.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return {{}, compoundFileProblem(data)};
    // libzip takes no bytes at all for an empty zip.
    if (data.isEmpty())
        return {{}, Problem::NotZip};
    int error = 0;
    const Archive archive = openZip(data, error);
    if (!archive)
        return {{}, error == ZIP_ER_NOZIP ? Problem::NotZip : Problem::Damaged};

    // The package's own relationships name its main part; a workbook's is xl/workbook.xml.
    QHash<QString, Relationship> packageRelationships;
    if (const Problem problem = readRelationships(archive.get(), QString(), packageRelationships);
        problem != Problem::None)
        return {{}, problem};
    const Relationship* main = ofType(packageRelationships, u"officeDocument");
    const QString workbookPart = main ? main->target : QStringLiteral("xl/workbook.xml");
    if (!locate(archive.get(), workbookPart))
        return {{}, Problem::NotWorkbook};
    if (workbookPart.endsWith(u".bin", Qt::CaseInsensitive))
        return {{}, Problem::Binary};
    QByteArray xml;
    if (const Problem problem = readPart(archive.get(), workbookPart, xml);
        problem != Problem::None)
        return {{}, problem};
    QHash<QString, Relationship> relationships;
    if (const Problem problem = readRelationships(archive.get(), workbookPart, relationships);
        problem != Problem::None)
        return {{}, problem};

    auto workbook = std::make_unique<PackageWorkbook>();
    workbook->m_data = data;
    if (const Relationship* part = ofType(relationships, u"sharedStrings"))
        workbook->m_sharedStrings = part->target;
    if (const Relationship* part = ofType(relationships, u"styles"))
        workbook->m_styles = part->target;
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != u"workbook")
        return {{}, reader.hasError() ? Problem::Damaged : Problem::NotWorkbook};
    while (reader.readNextStartElement()) {
        if (reader.name() == u"workbookPr") {
            const auto date1904 = reader.attributes().value(QLatin1StringView("date1904"));
            workbook->m_date1904 = date1904 == u"1" || date1904 == u"true";
            reader.skipCurrentElement();
            continue;
        }
        if (reader.name() != u"sheets") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            const auto attributes = reader.attributes();
            // The relationship's id is r:id, in the namespace of relationships (whichever its
            // prefix, and whichever of the two that namespace is).
            const auto id = std::find_if(attributes.begin(), attributes.end(), [](const auto& a) {
                return a.name() == u"id" && !a.namespaceUri().isEmpty();
            });
            const auto relationship = id == attributes.end()
                                          ? relationships.end()
                                          : relationships.find(id->value().toString());
            if (reader.name() == u"sheet" && relationship != relationships.end() &&
                relationship->type == u"worksheet") {
                if (!locate(archive.get(), relationship->target))
                    return {{}, Problem::Damaged};
                const auto state = attributes.value(QLatin1StringView("state"));
                workbook->m_sheets.push_back(
                    {attributes.value(QLatin1StringView("name")).toString(),
                     state == u"hidden" || state == u"veryHidden", relationship->target});
            }
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError())
        return {{}, Problem::Damaged};
    if (workbook->m_sheets.empty())
        return {{}, Problem::NoSheet};
    return {std::move(workbook), Problem::None};
}

SheetText PackageWorkbook::text(int index) const {
    SheetText failed;
    if (index < 0 || std::size_t(index) >= m_sheets.size()) {
        failed.problem = Problem::NoSheet;
        return failed;
    }
    int error = 0;
    const Archive archive = openZip(m_data, error);
    if (!archive) {
        failed.problem = Problem::Damaged;
        return failed;
    }
    QByteArray xml;
    sheetxml::SharedStrings sharedStrings;
    std::vector<bool> dateStyles;
    Problem problem = Problem::None;
    if (!m_sharedStrings.isEmpty() && locate(archive.get(), m_sharedStrings)) {
        problem = readPart(archive.get(), m_sharedStrings, xml);
        if (problem == Problem::None)
            problem = sheetxml::readSharedStrings(xml, sharedStrings);
    }
    if (problem == Problem::None && !m_styles.isEmpty() && locate(archive.get(), m_styles)) {
        problem = readPart(archive.get(), m_styles, xml);
        if (problem == Problem::None)
            problem = sheetxml::readDateStyles(xml, dateStyles);
    }
    if (problem == Problem::None)
        problem = readPart(archive.get(), m_sheets[std::size_t(index)].part, xml);
    if (problem != Problem::None) {
        failed.problem = problem;
        return failed;
    }
    auto layout = std::make_shared<sheetxml::SheetLayout>();
    SheetText text = sheetxml::readSheet(xml, {sharedStrings, dateStyles, m_date1904}, *layout);
    if (text.problem == Problem::None) {
        const std::lock_guard lock(m_layoutsGuard);
        m_layouts[index] = std::move(layout);
    }
    return text;
}

Problem PackageWorkbook::layoutOf(int index,
                                  std::shared_ptr<const sheetxml::SheetLayout>& out) const {
    {
        const std::lock_guard lock(m_layoutsGuard);
        if (const auto found = m_layouts.find(index); found != m_layouts.end()) {
            out = found->second;
            return Problem::None;
        }
    }
    if (const Problem problem = text(index).problem; problem != Problem::None)
        return problem;
    const std::lock_guard lock(m_layoutsGuard);
    out = m_layouts[index];
    return Problem::None;
}

WorkbookProblem PackageWorkbook::write(const AddedColumns& added, QByteArray& out) const {
    if (added.sheet < 0 || std::size_t(added.sheet) >= m_sheets.size())
        return Problem::NoSheet;
    int error = 0;
    Source package;
    Archive archive = openZip(m_data, error, &package);
    const auto index =
        archive ? locate(archive.get(), m_sheets[std::size_t(added.sheet)].part) : std::nullopt;
    if (!index)
        return Problem::Damaged;
    std::shared_ptr<const sheetxml::SheetLayout> layout;
    if (const Problem problem = layoutOf(added.sheet, layout); problem != Problem::None)
        return problem;
    QByteArray xml;
    if (const Problem problem = readPart(archive.get(), *index, xml); problem != Problem::None)
        return problem;
    QByteArray sheet;
    if (const Problem problem = sheetxml::addCells(xml, *layout, added, sheet);
        problem != Problem::None)
        return problem;
    xml.clear();

    // The sheet replaced, with its time stamp; libzip copies every other entry as it is,
    // compressed, and writes the new package into the buffer the archive was opened from.
    zip_stat_t stat;
    zip_stat_init(&stat);
    zip_stat_index(archive.get(), *index, 0, &stat);
    Source replacement(
        zip_source_buffer(archive.get(), sheet.constData(), zip_uint64_t(sheet.size()), 0));
    if (!replacement || zip_file_replace(archive.get(), *index, replacement.get(), 0) < 0)
        return Problem::CannotWrite;
    replacement.release(); // the archive's now
    // Deflated at zlib's level 2: on a sheet of 100,000 rows a third of the time of its default
    // level 6, which Excel and LibreOffice write, for a part 17 % larger (and a quarter of
    // libzip's own level 9). libzip keeps a level only with a method other than the entry's,
    // hence "default" (which is deflate).
    constexpr int kLevel = 2;
    zip_set_file_compression(archive.get(), *index, ZIP_CM_DEFAULT, kLevel);
    if (stat.valid & ZIP_STAT_MTIME)
        zip_file_set_mtime(archive.get(), *index, stat.mtime, 0);
    if (zip_close(archive.get()) < 0)
        return Problem::CannotWrite;
    archive.release(); // closed, and freed

    zip_stat_init(&stat);
    if (zip_source_stat(package.get(), &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        zip_source_open(package.get()) < 0)
        return Problem::CannotWrite;
    out.resize(qsizetype(stat.size));
    const zip_int64_t got = zip_source_read(package.get(), out.data(), stat.size);
    zip_source_close(package.get());
    return got == zip_int64_t(stat.size) ? Problem::None : Problem::CannotWrite;
}

} // namespace zunova::list
