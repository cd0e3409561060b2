#include "common/Windows1252.h"

#include <array>

namespace {

// Bytes 0x80..0x9F. The five bytes the code page leaves undefined map to
// the C1 control of the same value, as Windows itself does, so every byte
// reads back unchanged.
constexpr std::array<char16_t, 32> highControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encode(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return char(ch);
    for (size_t i = 0; i < highControls.size(); ++i) {
        if (highControls[i] == ch)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

namespace Windows1252 {

QByteArray fromUnicode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?'); // one character outside the code page, one '?'
            ++i;
            continue;
        }
        bytes.append(encode(ch.unicode()));
    }
    return bytes;
}

QString toUnicode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x80 && code < 0xA0)
            text.append(QChar(highControls[code - 0x80]));
        else
            text.append(QChar(code));
    }
    return text;
}

} // namespace Windows1252
