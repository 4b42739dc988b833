#include "ContactText.h"

namespace {

const char* const byteOrderMark = "\xEF\xBB\xBF";

// Windows-1252 at 0x80-0x9F; 0 where the byte is unassigned.
const char16_t windows1252High[32] = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

} // namespace

QString ContactText::decode(const QByteArray& data)
{
    if (data.startsWith(byteOrderMark))
        return QString::fromUtf8(data.constData() + 3, data.size() - 3);
    return isUtf8(data) ? QString::fromUtf8(data) : fromWindows1252(data);
}

bool ContactText::isUtf8(const QByteArray& data)
{
    const int size = data.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    for (int i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 (RFC 3629).
        int more = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + more >= size)
            return false;
        if (bytes[i + 1] < low || bytes[i + 1] > high)
            return false;
        for (int k = 2; k <= more; ++k) {
            if (bytes[i + k] < 0x80 || bytes[i + k] > 0xBF)
                return false;
        }
        i += more + 1;
    }
    return true;
}

QString ContactText::fromWindows1252(const QByteArray& data)
{
    QString text(data.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (int i = 0; i < data.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(data.at(i));
        const char16_t high = byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : 0;
        out[i] = QChar(high != 0 ? high : char16_t(byte));
    }
    return text;
}

QString ContactText::excerpt(const QString& text)
{
    if (text.size() <= ExcerptLength)
        return text;
    // A surrogate pair stays whole.
    const int cut = text.at(ExcerptLength - 1).isHighSurrogate() ? ExcerptLength - 1 : ExcerptLength;
    return text.left(cut) + QChar(0x2026);
}
