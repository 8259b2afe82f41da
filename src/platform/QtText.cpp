#include "platform/QtText.h"

#include "platform/Codec1251.h"

QString ToQString(std::string_view bytes) {
    QString out;
    out.resize(static_cast<qsizetype>(bytes.size()));
    QChar* data = out.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        data[i] = QChar(cp1251::kToUnicode[static_cast<unsigned char>(bytes[i])]);
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        const int byte = cp1251::FromUnicode(c.unicode());
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}
