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
 *
 * A few failures are told apart by kind(), for the callers that react to them: a
 * duplicate key (the line-number rule chooses again), a conflict with another
 * workstation's change (a lock wait that ran out, a row changed meanwhile), and a
 * connection that is gone, a number or a text too large for its column. A conflict and a
 * lost connection carry a French explanation followed by the server's own text; the
 * datasets put the others into French sentences naming the column or the row, the server's
 * text kept as a detail (detailServeur()).
 */
class DatabaseError : public std::runtime_error {
public:
    enum class Kind {
        Other,
        /// A primary or unique key refused a row.
        DuplicateKey,
        /// Another transaction holds or has just changed the rows aimed at.
        Conflict,
        /// The server cannot be reached any more (stopped, network cut); the attachment is
        /// dropped and the next opening of a list connects again.
        ConnectionLost,
        /// A server refused the login: wrong password or unknown user. The text names the
        /// server and the user, never the password.
        LoginRefused,
        /// A number too large for its column ("numeric overflow").
        Overflow,
        /// A text too long for its column ("string truncation").
        Truncation,
    };

    explicit DatabaseError(const QString& text, Kind kind = Kind::Other);

    /// The message exactly as the server or the layer wrote it.
    const QString& text() const noexcept { return m_text; }
    Kind kind() const noexcept { return m_kind; }

    /// The French explanation that opens the text of a Conflict.
    static QString conflictText();
    /// The French explanation that opens the text of a ConnectionLost.
    static QString connectionLostText();
    /// How a French sentence carries the server's own text after it, as a detail.
    static QString detailServeur(const QString& texteServeur);

private:
    QString m_text;
    Kind m_kind;
};

}  // namespace db
