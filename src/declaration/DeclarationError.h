#pragma once

#include <QString>
#include <stdexcept>

/**
 * Why a declaration file could not be written: the folder, the file, a write, a query.
 *
 * It carries the French text to show to the user as it is; the database client's
 * message comes through unchanged.
 */
class DeclarationError : public std::runtime_error {
public:
    explicit DeclarationError(const QString& text);

    /// The message to show, word for word.
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};
