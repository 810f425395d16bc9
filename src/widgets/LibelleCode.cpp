#include "widgets/LibelleCode.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

LibelleCode::LibelleCode(QLabel* libelle, Dataset* dataset, QWidget* champ, Nom nom)
    : QObject(libelle),
      m_libelle(libelle),
      m_dataset(dataset),
      m_champ(champ),
      m_nom(std::move(nom)) {
    if (auto* edit = qobject_cast<QLineEdit*>(champ)) {
        connect(edit, &QLineEdit::textChanged, this, &LibelleCode::actualiser);
    } else if (auto* liste = qobject_cast<QComboBox*>(champ)) {
        connect(liste, &QComboBox::editTextChanged, this, &LibelleCode::actualiser);
    }
    // The field shows the line's value once the dataset has told every view: the name is
    // read after that.
    auto plusTard = [this] {
        if (m_demande) {
            return;
        }
        m_demande = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_demande = false;
                actualiser();
            },
            Qt::QueuedConnection);
    };
    if (dataset) {
        connect(dataset, &Dataset::currentRowChanged, this, plusTard);
        connect(dataset, &Dataset::rowsReset, this, plusTard);
        connect(dataset, &Dataset::stateChanged, this, plusTard);
    }
    // A window may open on a row already current, which tells nothing more.
    plusTard();
}

LibelleCode::Nom LibelleCode::nomEtat() {
    return [](const QString& code) {
        return Dataprix->Etatterritorial
            ->lookup(QStringLiteral("CODE"), db::Value(code), QStringLiteral("PAYS"))
            .toText()
            .trimmed();
    };
}

QString LibelleCode::texteChamp() const {
    if (auto* edit = qobject_cast<QLineEdit*>(m_champ.data())) {
        return edit->text();
    }
    if (auto* liste = qobject_cast<QComboBox*>(m_champ.data())) {
        return liste->currentText();
    }
    return QString();
}

void LibelleCode::actualiser() {
    if (!m_libelle || !m_dataset || !m_dataset->isActive() || m_dataset->currentIndex() < 0) {
        return;
    }
    const QString code = texteChamp().trimmed();
    QString nom;
    if (!code.isEmpty()) {
        try {
            nom = m_nom(code);
        } catch (const db::DatabaseError& e) {
            MessageBoxes::showError(m_libelle->window(), e.text());
        }
    }
    m_libelle->setText(nom);
    m_libelle->setToolTip(nom);
}
