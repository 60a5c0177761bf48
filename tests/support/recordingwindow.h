#pragma once

#include "lookup/windowops.h"

#include <QString>
#include <QStringList>

namespace zunova::testing {

// Records every window operation in order, so a test sees exactly what the query did.
class RecordingWindow : public lookup::WindowOps {
public:
    explicit RecordingWindow(QString text, QString caption = QStringLiteral("before"))
        : text1(std::move(text))
        , label4(std::move(caption)) {}

    QString text1Text() const override { return text1; }
    void setText1Text(const QString& text) override {
        text1 = text;
        log << QStringLiteral("Text1=") + text;
    }
    void setLabel4Caption(const QString& caption) override {
        label4 = caption;
        log << QStringLiteral("Label4=") + caption;
    }
    void showWarning(const QString& text) override { log << QStringLiteral("warn:") + text; }

    QString text1;
    QString label4;
    QStringList log;
};

} // namespace zunova::testing
