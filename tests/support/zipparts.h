#pragma once

// Zip packages from parts and back, for checking workbooks part by part.

#include <QByteArray>
#include <QString>

#include <zip.h>

#include <map>

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

} // namespace zunova::testing
