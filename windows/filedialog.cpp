#include "filedialog.h"

#include <QFileDialog>

#include <utility>

namespace zunova::windows {
namespace {

bool g_answerInAdvance = false;
QList<QString> g_answers;
QList<QString> g_shown;

const QString kFilter = QStringLiteral(u"一覧 (*.csv *.tsv *.txt);;すべてのファイル (*)");

QString answered(const QString& suggested) {
    g_shown.append(suggested);
    return g_answers.isEmpty() ? QString() : g_answers.takeFirst();
}

} // namespace

QString FileDialog::openList(QWidget* parent) {
    if (g_answerInAdvance)
        return answered(QString());
    return QFileDialog::getOpenFileName(parent, QStringLiteral(u"一覧を開く"), QString(), kFilter);
}

QString FileDialog::saveList(QWidget* parent, const QString& suggested) {
    if (g_answerInAdvance)
        return answered(suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral(u"キャリアを加えた一覧を保存"),
                                        suggested, kFilter);
}

void FileDialog::setAnswerInAdvance(bool on) {
    g_answerInAdvance = on;
    g_answers.clear();
    g_shown.clear();
}

void FileDialog::queueAnswer(const QString& path) {
    g_answers.append(path);
}

QList<QString> FileDialog::takeShown() {
    return std::exchange(g_shown, {});
}

} // namespace zunova::windows
