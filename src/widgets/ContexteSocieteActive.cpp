#include "widgets/ContexteSocieteActive.h"

#include "data/Dataset.h"

ContexteSocieteActive::ContexteSocieteActive(QObject* parent) : QObject(parent) {}

void ContexteSocieteActive::setLibelleSociete(const QString& text) {
    if (m_libelleSociete == text) {
        return;
    }
    m_libelleSociete = text;
    emit libelleSocieteChanged(text);
}

void ContexteSocieteActive::prendreSociete(const Dataset& societe) {
    if (!societe.isActive() || societe.currentIndex() < 0) {
        IdentifiantComplet.clear();
        ExerciceTexte.clear();
        setLibelleSociete(libelleInitial());
        return;
    }
    IdentifiantComplet = societe.value(QStringLiteral("MFISCAL")).toText() +
                         societe.value(QStringLiteral("CLE")).toText();
    const db::Value exercice = societe.value(QStringLiteral("EXERCICE"));
    ExerciceTexte = exercice.isNull() ? QString() : QString::number(exercice.toInt());
    setLibelleSociete(societe.value(QStringLiteral("RAISONSOCIALE")).toText().trimmed() +
                      QStringLiteral("   ") + IdentifiantComplet + QStringLiteral("  Exercice: ") +
                      ExerciceTexte);
}

void ContexteSocieteActive::suivre(Dataset* societe) {
    if (m_suivi) {
        disconnect(m_suivi, nullptr, this, nullptr);
    }
    m_suivi = societe;
    if (!societe) {
        return;
    }
    auto prendre = [this] {
        if (m_suivi) {
            prendreSociete(*m_suivi);
        }
    };
    // A reopening passes through an empty dataset: the label shows where it ends.
    connect(societe, &Dataset::rowsReset, this, prendre);
    connect(societe, &Dataset::currentRowChanged, this, prendre);
    connect(societe, &Dataset::stateChanged, this, prendre);
    connect(societe, &Dataset::rowChanged, this, [this, prendre](int index) {
        if (m_suivi && index == m_suivi->currentIndex()) {
            prendre();
        }
    });
    prendre();
}
