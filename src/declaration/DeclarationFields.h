#pragma once

#include "declaration/ProblemLocation.h"

#include <QLatin1StringView>
#include <QString>
#include <span>

/**
 * An entry field of the identification, group and operations windows: the page that
 * shows it, the column it is bound to and its caption as the user reads it (the pieces
 * of a label written on several lines joined by one blank, without the closing colon).
 */
struct DeclarationField {
    DeclarationPage page;
    const char* column;
    const char* caption;  ///< UTF-8

    QString captionText() const { return QString::fromUtf8(caption); }
};

/// The catalogue of the entry fields whose values the declaration file carries.
class DeclarationFields {
public:
    /// The field of @p column on @p page, or null when that page has none.
    static const DeclarationField* find(DeclarationPage page, QLatin1StringView column);
    /// The same, failing loudly in development: every column the writer names must exist.
    static const DeclarationField& at(DeclarationPage page, QLatin1StringView column);
    static std::span<const DeclarationField> all();
};
