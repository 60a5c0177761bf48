#include "listfile.h"

#include "hugepages.h"

#include <algorithm>
#include <cerrno>

namespace zunova::list {

ListInput::ListInput(const QString& path, bool filesOnly) {
    if (path == u'-') {
        m_fd = 0;
    } else {
        m_owned = runtime::openForReading(path, filesOnly ? runtime::Waiting::DontWait
                                                          : runtime::Waiting::Wait);
        m_fd = m_owned.get();
    }
    if (m_fd < 0) {
        m_opened = {.problem = Problem::Unreadable, .systemError = errno};
        return;
    }
    m_stamp = runtime::FileStamp::of(m_fd);
    if (!m_stamp)
        m_opened = {.problem = Problem::Unreadable, .systemError = errno};
    else if (m_stamp->isDirectory())
        m_opened = {.problem = Problem::Folder, .systemError = EISDIR};
    else if (filesOnly && !m_stamp->isRegular())
        m_opened = {.problem = Problem::NotAFile};
}

qint64 ListInput::size() const {
    return m_stamp && m_stamp->isRegular() ? m_stamp->size() : -1;
}

qsizetype ListInput::read(QByteArray& into, qsizetype size) {
    const qsizetype at = into.size();
    into.resize(at + size);
    const qsizetype got = runtime::readSome(m_fd, into.data() + at, size);
    into.resize(at + std::max<qsizetype>(got, 0));
    if (got < 0)
        m_readError = errno;
    else
        m_read += got;
    return got;
}

qsizetype ListInput::readAhead(QByteArray& into, qint64 offset, qsizetype size) {
    const qsizetype at = into.size();
    into.resize(at + size);
    const qsizetype got = runtime::readSomeAt(m_fd, into.data() + at, size, offset);
    into.resize(at + std::max<qsizetype>(got, 0));
    return got;
}

Outcome ListInput::outcome() const {
    if (m_readError != 0)
        return {.problem = Problem::Unreadable, .systemError = m_readError};
    if (m_stamp && m_stamp->isRegular() && m_stamp->changedSince(m_fd, m_read))
        return {.problem = Problem::Changed};
    return {};
}

Outcome readWholeFile(const QString& path, qint64 maxBytes, Progress& progress, QByteArray& data) {
    constexpr qsizetype kChunk = 4 * 1024 * 1024;
    ListInput input(path, true);
    if (input.opened().problem != Problem::None)
        return input.opened();
    if (input.size() > maxBytes)
        return {.problem = Problem::TooLarge};
    progress.total = input.size();
    // Room for the file and for the read past its end that finds the end.
    data.reserve(qsizetype(input.size()) + 1);
    adviseHugePages(data.data(), std::size_t(data.capacity()));
    for (;;) {
        if (progress.cancelled)
            return {.problem = Problem::Cancelled};
        const qsizetype left = std::max<qint64>(input.size() - data.size(), 0);
        const qsizetype got = input.read(data, std::min(kChunk, left + 1));
        if (got <= 0)
            break;
        progress.done = data.size();
        if (data.size() > input.size()) // it grew while read
            return {.problem = Problem::Changed};
    }
    return input.outcome();
}

} // namespace zunova::list
