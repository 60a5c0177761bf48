// The query through a fake window over arbitrary UTF-16 entry text, against fixed data files.
#include "fuzzsupport.h"

#include "lookup/carrierlookup.h"
#include "support/recordingwindow.h"

#include <QFile>

#include <cstdint>

using namespace zunova;

namespace {

void writeFile(const char* name, const QByteArray& content) {
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        fuzz::violated("writing a data file");
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchDirectory();
    // Block b's column c holds code (b + c) % 11 in both files, for every block 0 to 999.
    QByteArray content;
    for (int b = 0; b < 1000; ++b) {
        content += QByteArray::number(b);
        for (int c = 0; c < 10; ++c)
            content += ',' + QByteArray::number((b + c) % 11);
        content += "\r\n";
    }
    writeFile("k.dat", content);
    writeFile("p.dat", content);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    testing::RecordingWindow window(text);
    lookup::CarrierLookup query(window);
    const fuzz::DescriptorCount fds;
    bool raised = false;
    try {
        query.Chousa();
    } catch (const runtime::RuntimeError& e) {
        fuzz::require(fuzz::isDocumentedError(e), "only documented errors");
        raised = true;
    }
    fuzz::require(fds.opened() == 0, "no data file left open");

    const QString lengthWarning =
        QStringLiteral("warn:") + QString::fromUtf16(lookup::kLengthWarning);
    const QString notMobile =
        QStringLiteral("warn:") + QString::fromUtf16(lookup::kNotMobileWarning);
    if (text.size() != 11) {
        fuzz::require(!raised && window.log == QStringList{lengthWarning} && window.text1 == text,
                      "wrong length: the length warning only");
        return 0;
    }
    const bool mobile = text[0] == u'0' && text[2] == u'0' && (text[1] == u'7' || text[1] == u'9');
    if (!mobile) {
        fuzz::require(!raised && window.log == QStringList({notMobile, "Text1=", "Label4="}),
                      "wrong prefix: the warning, then both cleared");
        return 0;
    }
    fuzz::require(window.text1 == text, "the number stays");
    const bool plainDigits = std::all_of(text.begin() + 3, text.begin() + 7, isAsciiDigit);
    if (raised) {
        fuzz::require(!plainDigits, "plain digits always convert");
        fuzz::require(window.log.isEmpty(), "nothing written before an error");
        return 0;
    }
    fuzz::require(window.log.size() == 1 && window.log[0].startsWith("Label4="),
                  "a found number sets the result once");
    if (plainDigits) {
        const int block = text.mid(3, 3).toInt();
        const int column = text[6].digitValue();
        const QString expected = lookup::networkForPrefix(text[1])
                                     ->carrierName(qint16((block + column) % 11))
                                     .value_or(QString::fromUtf16(lookup::kUnidentified));
        fuzz::require(window.label4 == expected, "the carrier of the block and column");
    }
    return 0;
}
