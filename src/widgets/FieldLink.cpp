#include "widgets/FieldLink.h"

#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QScopedValueRollback>
#include <QWidget>

FieldLink::FieldLink(QWidget* control, ShowFunction show, WriteFunction write)
    : QObject(control), m_control(control), m_show(std::move(show)), m_write(std::move(write)) {}

FieldLink::~FieldLink() {
    if (m_dataset) {
        m_dataset->removeEditor(this);
    }
}

void FieldLink::bind(Dataset* dataset, const QString& field) {
    for (const auto& c : m_connections) {
        disconnect(c);
    }
    m_connections.clear();
    if (m_dataset) {
        m_dataset->removeEditor(this);
    }
    m_dataset = dataset;
    m_fieldName = field;
    m_dirty = false;
    if (dataset) {
        m_connections = {
            connect(dataset, &Dataset::rowsReset, this, &FieldLink::onDatasetReset),
            connect(dataset, &Dataset::currentRowChanged, this, &FieldLink::onDatasetReset),
            connect(dataset, &Dataset::stateChanged, this, &FieldLink::onStateChanged),
            connect(dataset, &Dataset::rowChanged, this, &FieldLink::onRowChanged),
            connect(dataset, &Dataset::fieldChanged, this, &FieldLink::onFieldChanged),
        };
        dataset->addEditor(this);
    }
    refresh();
}

const FieldDef* FieldLink::field() const {
    if (!m_dataset) {
        return nullptr;
    }
    const int i = m_dataset->fieldIndex(m_fieldName);
    return i < 0 ? nullptr : &m_dataset->fields()[i];
}

void FieldLink::refresh() {
    const FieldDef* f = field();
    if (!f || !m_dataset->isActive()) {
        m_show(db::Value(), QString());
        return;
    }
    const db::Value value = m_dataset->value(m_fieldName);
    m_show(value, Dataset::displayText(*f, value));
}

void FieldLink::reset() {
    m_dirty = false;
    refresh();
}

bool FieldLink::startEdit() {
    if (m_dirty) {
        return true;
    }
    if (m_readOnly || !field()) {
        refresh();
        return false;
    }
    try {
        QScopedValueRollback keep(m_keepContent, true);
        m_dataset->edit();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(m_control, e.text());
        refresh();
        return false;
    }
    m_dirty = true;
    return true;
}

void FieldLink::write() {
    const FieldDef* f = field();
    if (!m_dirty || !f) {
        return;
    }
    m_write(*m_dataset, *f);
    m_dirty = false;
    refresh();
}

bool FieldLink::leave() {
    if (!m_dirty || m_leaving) {
        return true;
    }
    QScopedValueRollback guard(m_leaving, true);
    try {
        write();
        return true;
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(m_control, e.text());
        m_control->setFocus(Qt::OtherFocusReason);
        return false;
    }
}

void FieldLink::refusePaste(const QString& note) {
    const FieldDef* f = field();
    if (!f) {
        return;
    }
    const QString libelle = m_control->accessibleName();
    const QString champ = libelle.isEmpty()
                              ? QStringLiteral("la colonne %1").arg(f->name)
                              : QStringLiteral("« %1 » (colonne %2)").arg(libelle, f->name);
    MessageBoxes::showError(
        m_control, QStringLiteral("Le texte collé ne tient pas dans %1, qui accepte %2 caractères "
                                  "au plus%3 : il n'a pas été collé.")
                       .arg(champ)
                       .arg(f->width)
                       .arg(note.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(note)));
}

void FieldLink::focusLeft() {
    if (leave()) {
        emit exited();
    }
}

void FieldLink::writePending() {
    try {
        write();
    } catch (const db::DatabaseError&) {
        // The post stops with this error; the user corrects the field where it is.
        m_control->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

void FieldLink::onDatasetReset() {
    if (m_keepContent) {
        return;
    }
    reset();
}

void FieldLink::onStateChanged(DatasetState state) {
    if (m_keepContent) {
        return;
    }
    if (state != DatasetState::Edit && state != DatasetState::Insert) {
        // Posted, cancelled or closed: whatever was pending belongs to a row left behind.
        reset();
    } else if (!m_dirty) {
        refresh();
    }
}

void FieldLink::onRowChanged(int index) {
    if (m_keepContent || m_dirty || !m_dataset || index != m_dataset->currentIndex()) {
        return;
    }
    refresh();
}

void FieldLink::onFieldChanged(const QString& changed) {
    if (m_keepContent) {
        return;
    }
    if (changed.isEmpty() || changed.compare(m_fieldName, Qt::CaseInsensitive) == 0) {
        // A value set by code (a rule, a pick dialog) replaces what was being typed.
        reset();
    }
}
