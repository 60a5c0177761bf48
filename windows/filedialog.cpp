#include "filedialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

#include <utility>

namespace zunova::windows {
namespace {

bool g_answerInAdvance = false;
QList<QString> g_answers;
QList<QString> g_shown;

// Lists of every kind the window reads, workbooks among them; or any file, as a list whose name
// says nothing is read by its bytes.
const QString kFilter =
    QStringLiteral(u"一覧 (*.csv *.tsv *.txt *.xlsx *.xlsm);;すべてのファイル (*)");

QString answered(const QString& suggested) {
    g_shown.append(suggested);
    return g_answers.isEmpty() ? QString() : g_answers.takeFirst();
}

// The dialog's sizes and dates as the rest of it, in Japanese: the file system model writes them
// in the system's locale, whatever language Qt's texts are in.
class JapaneseSizesAndDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        // The model's columns: name, size, type, date modified. Folders have no size.
        if (index.column() == 1 && !files->isDir(file))
            return QLocale().formattedDataSize(files->size(file));
        if (index.column() == 3)
            return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

// Qt's own dialog rather than the desktop's, which speaks the desktop's language: every text in
// it is then Japanese, as the program's are.
QString chosen(QWidget* parent, const QString& title, const QString& suggested,
               QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, title, suggested, kFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new JapaneseSizesAndDates(&dialog));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString FileDialog::openList(QWidget* parent) {
    if (g_answerInAdvance)
        return answered(QString());
    return chosen(parent, QStringLiteral(u"一覧を開く"), QString(), QFileDialog::AcceptOpen);
}

QString FileDialog::saveList(QWidget* parent, const QString& suggested) {
    if (g_answerInAdvance)
        return answered(suggested);
    return chosen(parent, QStringLiteral(u"キャリアを加えた一覧を保存"), suggested,
                  QFileDialog::AcceptSave);
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
