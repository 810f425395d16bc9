#include "MessageBoxRecorder.h"

#include <QStringList>

MessageBoxRecorder::MessageBoxRecorder() {
    MessageBoxes::setHook([this](MessageBoxes::Kind kind, const QString& text) {
        m_messages.append({kind, text});
        return kind == MessageBoxes::Kind::Confirmation ? m_confirmAnswer : true;
    });
    MessageBoxes::setHookReponse([this](const QString&) { return m_questionAnswer; });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    MessageBoxes::setHook({});
    MessageBoxes::setHookReponse({});
}

QStringList MessageBoxRecorder::texts() const {
    QStringList result;
    for (const Message& m : m_messages) {
        result.append(m.text);
    }
    return result;
}

QStringList MessageBoxRecorder::texts(MessageBoxes::Kind kind) const {
    QStringList result;
    for (const Message& m : m_messages) {
        if (m.kind == kind) {
            result.append(m.text);
        }
    }
    return result;
}
