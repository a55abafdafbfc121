// Conversions between the program's CP932 text and Qt's QString. Every text
// that goes into or comes out of a widget passes through here.
#pragma once

#include <QString>
#include <string>

// CP932 bytes to a QString.
QString ToQString(const std::string& cp932);
// A QString to CP932 bytes; characters without a CP932 form become "?".
std::string FromQString(const QString& text);
// Like ToQString, with the CR LF line ends of message texts made plain line
// breaks, which Qt's labels show without stray marks.
QString ToDisplayText(const std::string& cp932);
