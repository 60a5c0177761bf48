#include "outputfile.h"

#include "output.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <pthread.h>
#include <unistd.h>

namespace zunova::console {
namespace {

// The system's words for an error, as for every other failure of the output.
QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// What is said of an output file, marked for the catalogue (context "zunova::console").
class OutputFileTexts {
    Q_DECLARE_TR_FUNCTIONS(zunova::console)

public:
    static QString theList(const QString& list) {
        return tr("the list itself (%1), which is never written over: give -o another name")
            .arg(list);
    }
    static QString readOnly() {
        return tr("read-only (its owner may not write it): left as it is");
    }
    static QString textName(const QString& list) {
        return tr("a name for a text list, but %1 is an Excel workbook, and so is its copy: give "
                  "-o a name ending .xlsx or .xlsm")
            .arg(list);
    }
    static QString workbookName(const QString& list) {
        return tr("a name for an Excel workbook, but %1 is a text list, and so is what is "
                  "written: give -o a name ending .csv, .tsv or .txt")
            .arg(list);
    }
    static QString terminal() { return tr("a terminal, to which a workbook is not written"); }
    static QString noNewFile(const QString& folder, int error) {
        return tr("no file can be made in the folder %1: %2").arg(folder, systemText(error));
    }
};

// The format a file's name says: a text list's (.csv, .tsv, .txt), a workbook's (.xlsx, .xlsm,
// and the old .xls and .xlsb), or neither.
enum class NameSays { Nothing, TextList, Workbook };

NameSays formatOfName(const QString& name) {
    static const QStringList text{QStringLiteral("csv"), QStringLiteral("tsv"),
                                  QStringLiteral("txt")};
    static const QStringList workbook{QStringLiteral("xlsx"), QStringLiteral("xlsm"),
                                      QStringLiteral("xls"), QStringLiteral("xlsb")};
    const QString suffix = QFileInfo(name).suffix().toLower();
    return text.contains(suffix)       ? NameSays::TextList
           : workbook.contains(suffix) ? NameSays::Workbook
                                       : NameSays::Nothing;
}

// The signals that stop a run: each first removes the temporary file where it has a name.
constexpr std::array kStoppingSignals{SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// The temporary file's path while it has a name, for the signal handler, which may read nothing
// but plain memory.
char g_temporary[PATH_MAX];
volatile std::sig_atomic_t g_temporaryNamed = 0;

void removeTemporaryAndStop(int signal) {
    if (g_temporaryNamed != 0)
        ::unlink(g_temporary);
    // Ends the run as the signal would have, once this returns: its status says which.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

sigset_t stoppingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStoppingSignals)
        sigaddset(&set, signal);
    return set;
}

// Holds the stopping signals back while the temporary file and what the handler knows of its
// name change together.
class HeldSignals {
public:
    HeldSignals() {
        const sigset_t held = stoppingSignals();
        pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t m_previous;
};

// Gives the temporary file of `path` a free name beside it, hidden (.NAME.XXXXXX), through
// `make`, which makes a file of that name or fails with errno. The signal handler knows the name
// as soon as the file has it. The name, or nothing with errno set.
QString nameBeside(const QString& path, const std::function<bool(const char*)>& make) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QFileInfo file(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = file.path() + QStringLiteral("/.") + file.fileName() + u'.';
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        const QByteArray encoded = QFile::encodeName(name);
        if (encoded.size() >= PATH_MAX) {
            errno = ENAMETOOLONG;
            return {};
        }
        const HeldSignals held;
        if (make(encoded.constData())) {
            std::memcpy(g_temporary, encoded.constData(), std::size_t(encoded.size()) + 1);
            g_temporaryNamed = 1;
            return name;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

} // namespace

// While the file is open: the stopping signals remove its temporary file, and a file grown past
// the size limit (SIGXFSZ) is a failed write, reported and thrown away, not a signal.
class OutputFile::Signals {
public:
    Signals() {
        struct sigaction stop {};
        stop.sa_handler = removeTemporaryAndStop;
        stop.sa_mask = stoppingSignals();
        for (std::size_t i = 0; i < kStoppingSignals.size(); ++i) {
            ::sigaction(kStoppingSignals[i], nullptr, &m_previous[i]);
            // One ignored when the program started (nohup, a background job) stays ignored.
            if (m_previous[i].sa_handler != SIG_IGN)
                ::sigaction(kStoppingSignals[i], &stop, nullptr);
        }
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_previousFileSize);
    }
    ~Signals() {
        for (std::size_t i = 0; i < kStoppingSignals.size(); ++i)
            ::sigaction(kStoppingSignals[i], &m_previous[i], nullptr);
        ::sigaction(SIGXFSZ, &m_previousFileSize, nullptr);
    }
    Signals(const Signals&) = delete;
    Signals& operator=(const Signals&) = delete;

private:
    std::array<struct sigaction, kStoppingSignals.size()> m_previous{};
    struct sigaction m_previousFileSize {};
};

OutputFile::OutputFile(const QString& name)
    : m_name(name) {}

OutputFile::~OutputFile() {
    const HeldSignals held;
    m_fd = runtime::Descriptor();
    if (!m_temporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporary).constData());
        g_temporaryNamed = 0;
    }
}

bool OutputFile::open(const ListSource& list) {
    m_signals = std::make_unique<Signals>();
    struct stat target {};
    const bool exists = ::stat(QFile::encodeName(m_name).constData(), &target) == 0;
    if (!exists && errno != ENOENT)
        return fail(systemText(errno));
    if (const QString why = whyNot(list, exists ? &target : nullptr); !why.isEmpty())
        return fail(why);
    if (exists && !S_ISREG(target.st_mode))
        return openThrough(list);
    // As a shell's `>` does, the file a symbolic link leads to is written, and the link kept.
    m_path = m_name;
    for (int links = 0; links < 40 && QFileInfo(m_path).isSymLink(); ++links)
        m_path = QFileInfo(m_path).symLinkTarget();
    return openTemporary(exists ? &target : nullptr);
}

QString OutputFile::whyNot(const ListSource& list, const struct stat* target) const {
    const NameSays says = formatOfName(m_name);
    if (list.workbook && says == NameSays::TextList)
        return OutputFileTexts::textName(list.name);
    if (!list.workbook && says == NameSays::Workbook)
        return OutputFileTexts::workbookName(list.name);
    if (!target)
        return {};
    if (S_ISDIR(target->st_mode))
        return systemText(EISDIR);
    if (!S_ISREG(target->st_mode))
        return {};
    // By whatever name (./list.csv, a symbolic or a hard link, standard input), before anything
    // is written.
    struct stat listFile {};
    if (::fstat(list.fd, &listFile) == 0 && listFile.st_dev == target->st_dev &&
        listFile.st_ino == target->st_ino)
        return OutputFileTexts::theList(list.name);
    // Its owner's word stands even for whom the system lets write anything (root).
    if ((target->st_mode & S_IWUSR) == 0)
        return OutputFileTexts::readOnly();
    // It is replaced, which its folder's permissions alone would allow.
    if (::access(QFile::encodeName(m_name).constData(), W_OK) != 0)
        return systemText(errno);
    return {};
}

bool OutputFile::openThrough(const ListSource& list) {
    // A FIFO waits here for its reader, as for a shell's `>`.
    m_fd = runtime::Descriptor(
        ::open(QFile::encodeName(m_name).constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!m_fd.isOpen())
        return fail(systemText(errno));
    if (list.workbook && ::isatty(m_fd.get()) != 0)
        return fail(OutputFileTexts::terminal());
    m_through = true;
    return true;
}

bool OutputFile::openTemporary(const struct stat* target) {
    const QString folder = QFileInfo(m_path).path();
    // Unnamed, it has nothing to leave behind, even killed; it takes a name through /proc.
    if (::access("/proc/self/fd", X_OK) == 0)
        m_fd = runtime::Descriptor(
            ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!m_fd.isOpen())
        m_temporary = nameBeside(m_path, [this](const char* name) {
            m_fd = runtime::Descriptor(
                ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
            return m_fd.isOpen();
        });
    if (!m_fd.isOpen()) {
        const int error = errno;
        return fail(OutputFileTexts::noNewFile(folder, error));
    }
    if (target) {
        // The file replaced keeps its owner, where the user may give it away, and its mode.
        [[maybe_unused]] const bool owned =
            ::fchown(m_fd.get(), target->st_uid, target->st_gid) == 0;
        ::fchmod(m_fd.get(), target->st_mode & 0777);
    }
    return true;
}

bool OutputFile::commit() {
    if (m_through) // what it did with the bytes is the device's: nothing is left to do
        return true;
    // On the disk before it takes the name: a crash leaves the old file or the whole new one.
    if (::fdatasync(m_fd.get()) != 0 && errno != EINVAL)
        return fail(systemText(errno));
    if (m_temporary.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd.get());
        m_temporary = nameBeside(m_path, [&self](const char* name) {
            return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0;
        });
        if (m_temporary.isEmpty())
            return fail(systemText(errno));
    }
    if (::close(m_fd.release()) != 0)
        return fail(systemText(errno));
    const HeldSignals held;
    if (::rename(QFile::encodeName(m_temporary).constData(),
                 QFile::encodeName(m_path).constData()) != 0)
        return fail(systemText(errno));
    m_temporary.clear();
    g_temporaryNamed = 0;
    return true;
}

bool OutputFile::fail(const QString& why) const {
    printMessage(m_name + QStringLiteral(": ") + why);
    return false;
}

} // namespace zunova::console
