#include "db/Win1252.h"

#include <QList>

namespace db {

namespace {

// Bytes 0x80 to 0x9F; 0 marks the five bytes that have no character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

int byteOf(uint c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<int>(c);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == c) {
            return 0x80 + i;
        }
    }
    return -1;
}

}  // namespace

QString Win1252::decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

QString Win1252::decode(const char* bytes, qsizetype size) {
    // One unit per byte, written in place: every row of a list passes here for each text.
    QString result(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0) {
            // The five undefined bytes keep their position as C1 controls, as the platform does.
            out[i] = kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : char16_t(b);
        } else {
            out[i] = char16_t(b);
        }
    }
    return result;
}

bool Win1252::encode(const QString& text, QByteArray& bytes, QString* unmapped) {
    bytes.clear();
    bytes.reserve(text.size());
    bool ok = true;
    const auto codePoints = text.toUcs4();
    for (const uint c : codePoints) {
        const int b = byteOf(c);
        if (b < 0) {
            ok = false;
            if (unmapped) {
                unmapped->append(QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1));
            }
            bytes.append('?');
        } else {
            bytes.append(static_cast<char>(b));
        }
    }
    return ok;
}

bool Win1252::canEncode(const QString& text, QString* unmapped) {
    QByteArray ignored;
    return encode(text, ignored, unmapped);
}

}  // namespace db
