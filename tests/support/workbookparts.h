#pragma once

// Workbooks made from their parts as Excel lays them out, and zip packages taken apart again,
// for checking a workbook part by part.

#include <QByteArray>
#include <QString>

#include <zip.h>

#include <map>
#include <utility>
#include <vector>

namespace zunova::testing {

using Parts = std::map<QString, QByteArray>;

// The parts as a zip, deflated; each encrypted with `password` where one is given.
inline QByteArray zipOf(const Parts& parts, const char* password = nullptr) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(source);
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : parts) {
        const zip_int64_t index = zip_file_add(
            archive, name.toUtf8(),
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0), 0);
        if (password)
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_AES_256, password);
        // An empty entry stored, not deflated: a deflater made for each of 100,000 empty entries
        // takes a minute under AddressSanitizer.
        else if (bytes.isEmpty())
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    zip_stat_t stat;
    zip_source_stat(source, &stat);
    QByteArray out(qsizetype(stat.size), '\0');
    zip_source_open(source);
    zip_source_read(source, out.data(), stat.size);
    zip_source_close(source);
    zip_source_free(source);
    zip_error_fini(&error);
    return out;
}

// A zip's parts by name; none where it is no zip.
inline Parts partsOf(const QByteArray& package) {
    zip_error_t error;
    zip_error_init(&error);
    zip_t* archive = zip_open_from_source(
        zip_source_buffer_create(package.constData(), zip_uint64_t(package.size()), 0, &error),
        ZIP_RDONLY, &error);
    Parts parts;
    for (zip_int64_t i = 0; archive && i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray bytes(qsizetype(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        parts[QString::fromUtf8(stat.name)] = bytes;
    }
    if (archive)
        zip_discard(archive);
    zip_error_fini(&error);
    return parts;
}

inline const QByteArray kMain =
    R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
inline const QByteArray kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline QByteArray
relationships(const std::vector<std::pair<QByteArray, QByteArray>>& typesAndTargets) {
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                     "\r\n<Relationships "
                     R"(xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    int id = 0;
    for (const auto& [type, target] : typesAndTargets)
        xml += "<Relationship Id=\"rId" + QByteArray::number(++id) + "\" Type=\"" + kRelationships +
               '/' + type + "\" Target=\"" + target + "\"/>";
    return xml + "</Relationships>";
}

// A workbook as Excel lays it out, its sheets in workbook order named by their XML.
// Without shared strings or styles, the workbook has no such part.
inline Parts workbookParts(const std::vector<std::pair<QByteArray, QByteArray>>& sheets,
                           const QByteArray& sharedStrings, const QByteArray& styles,
                           const QByteArray& workbookPr = "<workbookPr/>") {
    Parts parts{
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                "content-types\"><Default Extension=\"xml\" "
                                "ContentType=\"application/xml\"/></Types>"},
        {"_rels/.rels", relationships({{"officeDocument", "xl/workbook.xml"}})},
    };
    if (!sharedStrings.isEmpty())
        parts["xl/sharedStrings.xml"] = sharedStrings;
    if (!styles.isEmpty())
        parts["xl/styles.xml"] = styles;
    std::vector<std::pair<QByteArray, QByteArray>> targets{{"styles", "styles.xml"},
                                                           {"sharedStrings", "sharedStrings.xml"}};
    QByteArray workbook =
        "<workbook " + kMain + " xmlns:r=\"" + kRelationships + "\">" + workbookPr + "<sheets>";
    // Numbered backwards: the first sheet is not sheet1.xml.
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const QByteArray part = "worksheets/sheet" + QByteArray::number(sheets.size() - i) + ".xml";
        parts["xl/" + part] = sheets[i].second;
        targets.emplace_back("worksheet", part);
        workbook += "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" +
                    QByteArray::number(i + 1) + "\" r:id=\"rId" +
                    QByteArray::number(targets.size()) + "\"/>";
    }
    parts["xl/workbook.xml"] = workbook + "</sheets></workbook>";
    parts["xl/_rels/workbook.xml.rels"] = relationships(targets);
    return parts;
}

} // namespace zunova::testing
