#include "runtimeerror.h"

namespace zunova::runtime {

RuntimeError::RuntimeError(ErrorNumber number, QString file, int line)
    : std::runtime_error(errorText(number).toStdString())
    , m_number(number)
    , m_file(std::move(file))
    , m_line(line) {}

QString RuntimeError::errorText(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::Overflow:
        return QStringLiteral(u"オーバーフローしました。");
    case ErrorNumber::TypeMismatch:
        return QStringLiteral(u"型が一致しません。");
    case ErrorNumber::FileNotFound:
        return QStringLiteral(u"ファイルが見つかりません。");
    case ErrorNumber::DeviceIOError:
        return QStringLiteral(u"デバイス I/O エラーです。");
    case ErrorNumber::InputPastEndOfFile:
        return QStringLiteral(u"ファイルにこれ以上データがありません。");
    case ErrorNumber::PermissionDenied:
        return QStringLiteral(u"ファイルを読み取る権限がありません。");
    case ErrorNumber::PathNotFound:
        return QStringLiteral(u"パス名が無効です。");
    }
    return {};
}

QString RuntimeError::report() const {
    QString out =
        QStringLiteral(u"実行時エラー '%1':\n\n%2").arg(static_cast<int>(m_number)).arg(text());
    if (!m_file.isEmpty()) {
        out += u'\n' + m_file;
        if (m_line > 0)
            out += QStringLiteral(u": %1 行目").arg(m_line);
    }
    return out;
}

} // namespace zunova::runtime
