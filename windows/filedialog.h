#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace zunova::windows {

// The file dialogs the list windows use; each call returns once the user has chosen.
//
// Tests may answer them in advance, as MessageBox's boxes: while answering is on, no dialog is
// shown; each call takes the next queued answer (none left: cancelled) and records what was
// suggested, so no test waits on a dialog.
class FileDialog {
public:
    // A list to open; empty when cancelled.
    static QString openList(QWidget* parent);
    // Where to save a list, `suggested` filled in; empty when cancelled.
    static QString saveList(QWidget* parent, const QString& suggested);

    static void setAnswerInAdvance(bool on);
    static void queueAnswer(const QString& path);
    // The suggestions of the dialogs asked for since the last call (empty for openList).
    static QList<QString> takeShown();
};

} // namespace zunova::windows
