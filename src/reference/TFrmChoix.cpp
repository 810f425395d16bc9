#include "reference/TFrmChoix.h"

#include "data/Dataset.h"
#include "db/DatabaseError.h"
#include "widgets/DBGrid.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SearchEdit.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

TFrmChoix::TFrmChoix(ServicesFenetres& services, const QString& objectName, const QString& caption,
                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_services(services) {
    setObjectName(objectName);
    setWindowTitle(caption);

    m_libelleFiltre = new QLabel(QStringLiteral("Filtre"), this);
    m_filtre = new SearchEdit(this);
    m_filtre->setObjectName(QStringLiteral("EditFiltre"));
    m_filtre->setAccessibleName(m_libelleFiltre->text());
    m_libelleFiltre->setBuddy(m_filtre);

    m_grid = new DBGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(caption);

    m_menuAjouter = new QAction(QStringLiteral("Ajouter"), m_grid);
    m_menuModifier = new QAction(QStringLiteral("Modifier"), m_grid);
    m_menuSupprimer = new QAction(QStringLiteral("Supprimer"), m_grid);
    // Adding and modifying are done in the reference lists, not here.
    m_menuAjouter->setEnabled(false);
    m_menuModifier->setEnabled(false);
    m_grid->addActions({m_menuAjouter, m_menuModifier, m_menuSupprimer});
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BtnOk"));
    m_ok->setAutoDefault(false);
    m_ok->hide();

    auto* filtre = new QHBoxLayout;
    filtre->addWidget(m_libelleFiltre);
    filtre->addWidget(m_filtre, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filtre);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_ok, 0, Qt::AlignRight);
    resize(560, 420);

    m_filtre->installEventFilter(this);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    connect(m_ok, &QPushButton::clicked, this, &TFrmChoix::DBGrid1DblClick);
}

void TFrmChoix::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
        // The row of the value the field holds, rather than the first one.
        Dataset* ds = m_grid->dataset();
        const QString valeur = m_valeurActuelle.trimmed();
        if (ds && ds->isActive() && !valeur.isEmpty()) {
            try {
                ds->locate({champValeur()}, {db::Value(valeur)}, Qt::CaseInsensitive);
            } catch (const db::DatabaseError& e) {
                erreur(e.text());
            }
        }
    }
}

void TFrmChoix::erreur(const QString& text) {
    MessageBoxes::showError(this, text);
}

void TFrmChoix::DBGrid1DblClick() {
    const Dataset* ds = m_grid->dataset();
    if (!ds || !ds->isActive() || ds->isEmpty()) {
        return;
    }
    valider();
}

bool TFrmChoix::eventFilter(QObject* watched, QEvent* event) {
    const bool release = event->type() == QEvent::KeyRelease;
    if (release || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == m_grid && enter) {
            // The press is the grid's alone (the dialog would take it for its default
            // button); the choice is made when the key comes up.
            if (release && !key->isAutoRepeat()) {
                DBGrid1DblClick();
            }
            return true;
        }
        if (release && watched == m_filtre && key->key() == Qt::Key_Down) {
            m_grid->setFocus();
            return true;
        }
        if (release && watched == m_grid && key->key() == Qt::Key_Up && hautVersFiltre()) {
            const Dataset* ds = m_grid->dataset();
            if (!ds || ds->currentIndex() <= 0) {
                m_filtre->setFocus();
            }
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == m_grid->viewport() &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        DBGrid1DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
