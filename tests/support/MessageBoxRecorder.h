#pragma once

#include "widgets/MessageBoxes.h"

#include <QString>
#include <QVector>

/**
 * Takes over the message boxes while it lives and keeps what they would have shown, in order.
 * Confirmations are answered with confirmAnswer(), questions with questionAnswer(). Meant for
 * tests; only one may live at a time.
 */
class MessageBoxRecorder {
public:
    struct Message {
        MessageBoxes::Kind kind;
        QString text;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const QVector<Message>& messages() const { return m_messages; }
    /// The texts shown, in order.
    QStringList texts() const;
    /// The texts of the boxes of @p kind, in order.
    QStringList texts(MessageBoxes::Kind kind) const;
    bool isEmpty() const { return m_messages.isEmpty(); }
    void clear() { m_messages.clear(); }

    /// The answer given to every confirmation (Yes by default).
    void setConfirmAnswer(bool yes) { m_confirmAnswer = yes; }
    bool confirmAnswer() const { return m_confirmAnswer; }
    /// The answer given to every three-way question (Oui by default).
    void setQuestionAnswer(MessageBoxes::Reponse answer) { m_questionAnswer = answer; }
    MessageBoxes::Reponse questionAnswer() const { return m_questionAnswer; }

private:
    QVector<Message> m_messages;
    bool m_confirmAnswer = true;
    MessageBoxes::Reponse m_questionAnswer = MessageBoxes::Reponse::Oui;
};
