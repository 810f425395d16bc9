#include "widgets/FormulaireSaisie.h"

#include "data/CodeLists.h"
#include "data/Dataset.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBEdit.h"
#include "widgets/DBMemo.h"
#include "widgets/DBNumberEdit.h"
#include "widgets/KeyboardNavigator.h"
#include "widgets/LibelleCode.h"

#include <QGridLayout>
#include <QLabel>

namespace {

/// The width, in characters, a field needs for its column when the window gives none;
/// 0 lets it take the room there is.
int largeurColonne(const Dataset* dataset, const ChampSaisie& champ) {
    if (champ.largeur > 0) {
        return champ.largeur;
    }
    const FieldDef* f = dataset ? dataset->field(champ.colonne) : nullptr;
    if (!f) {
        return 0;
    }
    switch (f->type) {
        case FieldType::Integer:
            return 10;
        case FieldType::Numeric:
            return 20;
        case FieldType::Date:
            return 12;
        case FieldType::Char:
        case FieldType::Varchar:
            return f->width <= 20 ? std::max(f->width, 4) + 2 : 0;
        case FieldType::Blob:
            return 0;
    }
    return 0;
}

}  // namespace

FormulaireSaisie::FormulaireSaisie(QWidget* parent, Dataset* dataset,
                                   const QVector<ChampSaisie>& champs,
                                   KeyboardNavigator* navigateur, int colonnes)
    : QObject(parent),
      m_dataset(dataset),
      m_widget(new QWidget(parent)),
      m_grille(new QGridLayout(m_widget)),
      m_champs(champs) {
    m_grille->setContentsMargins(0, 0, 0, 0);
    colonnes = std::max(colonnes, 1);
    const int parColonne = static_cast<int>((champs.size() + colonnes - 1) / colonnes);
    const int caractere = m_widget->fontMetrics().averageCharWidth();

    for (int i = 0; i < champs.size(); ++i) {
        const ChampSaisie& champ = champs[i];
        QWidget* controle = nullptr;
        FieldLink* lien = nullptr;
        switch (champ.genre) {
            case GenreChamp::Texte:
            case GenreChamp::Nombre:
            case GenreChamp::Date: {
                DBEdit* edit = nullptr;
                if (champ.genre == GenreChamp::Texte) {
                    edit = new DBEdit(m_widget);
                } else if (champ.genre == GenreChamp::Nombre) {
                    edit = new DBNumberEdit(m_widget);
                } else {
                    edit = new DBDateEdit(m_widget);
                }
                edit->bind(dataset, champ.colonne);
                edit->setReadOnly(champ.lectureSeule);
                controle = edit;
                lien = &edit->link();
                break;
            }
            case GenreChamp::Liste: {
                auto* liste = new DBComboBox(m_widget);
                liste->setItems(champ.items);
                liste->bind(dataset, champ.colonne);
                liste->setReadOnly(champ.lectureSeule);
                controle = liste;
                lien = &liste->link();
                break;
            }
            case GenreChamp::Memo: {
                auto* memo = new DBMemo(m_widget);
                memo->bind(dataset, champ.colonne);
                memo->setReadOnly(champ.lectureSeule);
                memo->setMinimumHeight(memo->fontMetrics().lineSpacing() * 3 + 12);
                controle = memo;
                lien = &memo->link();
                break;
            }
        }
        lien->setReadOnly(champ.lectureSeule);
        controle->setObjectName(champ.colonne);
        if (!champ.infobulle.isEmpty()) {
            controle->setToolTip(champ.infobulle);
        }
        if (const int largeur = largeurColonne(dataset, champ); largeur > 0) {
            // Never narrower than the control needs for its whole value (a date and its
            // calendar button).
            controle->setMaximumWidth(
                std::max(caractere * largeur + 24, controle->minimumSizeHint().width()));
        }

        auto* libelle = new QLabel(champ.libelle.join(u'\n'), m_widget);
        libelle->setBuddy(controle);
        controle->setAccessibleName(champ.libelle.join(u' ').simplified());
        QLabel* apres = nullptr;
        if (!champ.apres.isEmpty()) {
            apres = new QLabel(champ.apres, m_widget);
            apres->setWordWrap(true);
        }

        // A drop-down of codes says beside it what its code means.
        QLabel* signification = nullptr;
        LibelleCode* code = nullptr;
        if (auto* liste = qobject_cast<DBComboBox*>(controle); liste && !apres) {
            signification = new QLabel(m_widget);
            signification->setObjectName(champ.colonne + QStringLiteral("_Signification"));
            signification->setWordWrap(true);
            const FieldDef* f = dataset ? dataset->field(champ.colonne) : nullptr;
            const int largeurCode = f ? f->width : 0;
            const int index = static_cast<int>(m_controles.size());
            code = new LibelleCode(signification, dataset, liste,
                                   [this, liste, index, largeurCode](const QString& valeur) {
                                       QStringList items;
                                       if (const auto& autre = m_listesSignification[index]) {
                                           items = autre();
                                       }
                                       if (items.isEmpty()) {
                                           items = liste->items();
                                       }
                                       return CodeLists::meaning(items, valeur, largeurCode);
                                   });
        }

        // A name or a meaning keeps its distance from the caption of the next column.
        for (QLabel* texte : {apres, signification}) {
            if (texte) {
                texte->setContentsMargins(0, 0, caractere * 3, 0);
            }
        }

        const int ligne = i % parColonne;
        const int colonne = (i / parColonne) * 3;
        m_grille->addWidget(libelle, ligne, colonne, Qt::AlignRight | Qt::AlignVCenter);
        m_grille->addWidget(controle, ligne, colonne + 1);
        if (apres) {
            m_grille->addWidget(apres, ligne, colonne + 2);
        } else if (signification) {
            m_grille->addWidget(signification, ligne, colonne + 2);
        }

        if (!m_controles.isEmpty()) {
            QWidget::setTabOrder(m_controles.last(), controle);
        }
        if (champ.entree && navigateur) {
            navigateur->attach(controle);
        }
        const QString nom = champ.colonne;
        connect(lien, &FieldLink::exited, this, [this, nom] { emit sortie(nom); });
        connect(lien, &FieldLink::doubleClicked, this, [this, nom] { emit doubleClic(nom); });

        m_controles.append(controle);
        m_libelles.append(libelle);
        m_apres.append(apres);
        m_liens.append(lien);
        m_significations.append(signification);
        m_codes.append(code);
        m_listesSignification.append(std::function<QStringList()>());
    }
    for (int c = 0; c < colonnes; ++c) {
        m_grille->setColumnStretch(c * 3 + 1, 1);
    }
}

int FormulaireSaisie::indexOf(const QString& colonne) const {
    for (int i = 0; i < m_champs.size(); ++i) {
        if (m_champs[i].colonne.compare(colonne, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QWidget* FormulaireSaisie::controle(const QString& colonne) const {
    const int i = indexOf(colonne);
    return i < 0 ? nullptr : m_controles[i];
}

QLabel* FormulaireSaisie::libelle(const QString& colonne) const {
    const int i = indexOf(colonne);
    return i < 0 ? nullptr : m_libelles[i];
}

QLabel* FormulaireSaisie::apres(const QString& colonne) const {
    const int i = indexOf(colonne);
    return i < 0 ? nullptr : m_apres[i];
}

FieldLink* FormulaireSaisie::lien(const QString& colonne) const {
    const int i = indexOf(colonne);
    return i < 0 ? nullptr : m_liens[i];
}

QLabel* FormulaireSaisie::signification(const QString& colonne) const {
    const int i = indexOf(colonne);
    return i < 0 ? nullptr : m_significations[i];
}

void FormulaireSaisie::setListeSignification(const QString& colonne,
                                             std::function<QStringList()> liste) {
    const int i = indexOf(colonne);
    if (i < 0) {
        return;
    }
    m_listesSignification[i] = std::move(liste);
    actualiserSignification(colonne);
}

void FormulaireSaisie::actualiserSignification(const QString& colonne) {
    const int i = indexOf(colonne);
    if (i >= 0 && m_codes[i]) {
        m_codes[i]->actualiser();
    }
}
