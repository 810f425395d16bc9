#include "widgets/ContexteSocieteActive.h"

ContexteSocieteActive::ContexteSocieteActive(QObject* parent) : QObject(parent) {}

void ContexteSocieteActive::setLibelleSociete(const QString& text) {
    if (m_libelleSociete == text) {
        return;
    }
    m_libelleSociete = text;
    emit libelleSocieteChanged(text);
}
