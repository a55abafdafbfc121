#include "app/windows/dialog_units.h"

#include <QFontMetrics>

#include "app/windows/qt_text.h"

namespace {

constexpr int kAlphabetLength = 52;
const char kFixedPitchFamily[] = "ＭＳ ゴシック";

}  // namespace

QSize DialogUnitsToPixels(const QFont& font, int width, int height) {
    QFontMetrics metrics(font);
    int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    int charWidth = (alphabet + kAlphabetLength / 2) / kAlphabetLength;
    return QSize(width * charWidth / 4, height * metrics.height() / 8);
}

QFont DialogFont() {
    QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont FixedPitchFont(int points) {
    QFont font(ToQString(kFixedPitchFamily), points);
    font.setStyleHint(QFont::Monospace);
    return font;
}
