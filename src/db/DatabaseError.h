#pragma once

#include <QString>
#include <stdexcept>

namespace db {

/**
 * The one error type of the database layer and of the datasets built on it.
 *
 * It carries the text to show to the user word for word: the server's or the
 * client library's message, or one of the layer's own messages ("Field '%s'
 * must have a value", ...). Only event handlers catch it.
 */
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& text);

    /// The message exactly as the server or the layer wrote it.
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};

}  // namespace db
