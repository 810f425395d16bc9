#pragma once

#include <QByteArray>
#include <QString>

namespace db {

/**
 * Windows-1252, the single-byte code page in which the database holds every text.
 * A table of its own rather than QStringConverter, so that the result never
 * depends on the ICU build and the characters that have no byte are named.
 */
class Win1252 {
public:
    static QString decode(const QByteArray& bytes);
    static QString decode(const char* bytes, qsizetype size);
    /**
     * Encodes @p text. Returns false, and lists in @p unmapped the characters that
     * have no Windows-1252 byte, when the text cannot be stored as it is; the
     * returned bytes are then not meant to be used.
     */
    static bool encode(const QString& text, QByteArray& bytes, QString* unmapped = nullptr);
    /// True when every character of @p text has a Windows-1252 byte.
    static bool canEncode(const QString& text, QString* unmapped = nullptr);
};

}  // namespace db
