#pragma once

#include <QString>
#include <stdexcept>

/**
 * A source that cannot be read: missing, damaged, truncated, encrypted, of another format
 * than the one chosen, or a sheet that does not exist. Carries the French text to show.
 */
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const QString& text);

    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};
