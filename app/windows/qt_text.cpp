#include "app/windows/qt_text.h"

#include "platform/charset.h"

QString ToQString(const std::string& cp932) {
    return QString::fromStdString(platform::Cp932ToUtf8(cp932));
}

std::string FromQString(const QString& text) {
    return platform::Utf8ToCp932(text.toStdString());
}

QString ToDisplayText(const std::string& cp932) {
    QString text = ToQString(cp932);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
