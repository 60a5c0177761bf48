#include "runtimeerror.h"

#include <QFileInfo>

namespace zunova::runtime {

RuntimeError::RuntimeError(ErrorNumber number, QString file, int line)
    : std::runtime_error(errorText(number).toStdString())
    , m_number(number)
    , m_file(std::move(file))
    // Data files are opened by bare name in the working directory, which a start from the
    // desktop menu picks for the user; the full path says where the program looked.
    , m_path(m_file.isEmpty() ? QString() : QFileInfo(m_file).absoluteFilePath())
    , m_line(line) {}

QString RuntimeError::errorText(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::Overflow:
        return QStringLiteral(u"オーバーフローしました。");
    case ErrorNumber::TypeMismatch:
        return QStringLiteral(u"型が一致しません。");
    case ErrorNumber::FileNotFound:
        return QStringLiteral(u"ファイルが見つかりません。");
    case ErrorNumber::InputPastEndOfFile:
        return QStringLiteral(u"ファイルにこれ以上データがありません。");
    case ErrorNumber::PermissionDenied:
        return QStringLiteral(u"書き込みできません。");
    case ErrorNumber::PathNotFound:
        return QStringLiteral(u"パス名が無効です。");
    }
    return {};
}

QString RuntimeError::report() const {
    QString out =
        QStringLiteral(u"実行時エラー '%1':\n\n%2").arg(static_cast<int>(m_number)).arg(text());
    if (!m_path.isEmpty()) {
        out += u'\n' + m_path;
        if (m_line > 0)
            out += QStringLiteral(u": %1 行目").arg(m_line);
    }
    return out;
}

} // namespace zunova::runtime
