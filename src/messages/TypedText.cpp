#include "messages/TypedText.h"

namespace TypedText {

QString withoutControls(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (ch == u'\r' || ch == u'\n') {
            clean.append(u' ');
            if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (ch >= 32 && ch != 127) {
            clean.append(QChar(ch));
        }
    }
    return clean;
}

} // namespace TypedText
