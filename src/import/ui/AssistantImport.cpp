#include "import/ui/AssistantImport.h"

#include "data/Dataset.h"
#include "import/ImportError.h"
#include "import/LecteurSource.h"
#include "widgets/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

/// A form row whose label is the field's buddy and accessible name.
template <typename W>
W* ligne(QFormLayout* form, const QString& libelle, W* widget) {
    auto* label = new QLabel(libelle);
    label->setBuddy(widget);
    widget->setAccessibleName(libelle);
    form->addRow(label, widget);
    return widget;
}

QString caractere(QChar c) {
    return c.isNull() ? QString() : QString(c);
}

QChar premier(const QString& t) {
    return t.isEmpty() ? QChar() : t.at(0);
}

// --- file and format ---------------------------------------------------------------------

class PageFichier : public QWizardPage {
public:
    explicit PageFichier(AssistantImport* w) : m_w(w) {
        setTitle(QStringLiteral("Fichier source"));
        setSubTitle(QStringLiteral("Choisissez le fichier des lignes à importer et son format."));
        auto* form = new QFormLayout(this);

        auto* choixFichier = new QWidget;
        auto* h = new QHBoxLayout(choixFichier);
        h->setContentsMargins(0, 0, 0, 0);
        m_chemin = new QLineEdit;
        auto* parcourir = new QPushButton(QStringLiteral("Parcourir..."));
        parcourir->setAccessibleName(QStringLiteral("Parcourir"));
        h->addWidget(m_chemin, 1);
        h->addWidget(parcourir);
        auto* label = new QLabel(QStringLiteral("Fichier :"));
        label->setBuddy(m_chemin);
        m_chemin->setAccessibleName(QStringLiteral("Fichier :"));
        form->addRow(label, choixFichier);

        m_format = ligne(form, QStringLiteral("Format :"), new QComboBox);
        for (FormatSource f : tousLesFormats()) {
            m_format->addItem(libelleFormat(f), static_cast<int>(f));
        }

        auto* groupe = new QGroupBox(QStringLiteral("Spécifications d'importation enregistrées"));
        auto* g = new QHBoxLayout(groupe);
        m_reglages = new QComboBox;
        m_reglages->setAccessibleName(QStringLiteral("Spécification"));
        auto* charger = new QPushButton(QStringLiteral("Charger"));
        auto* supprimer = new QPushButton(QStringLiteral("Supprimer"));
        g->addWidget(m_reglages, 1);
        g->addWidget(charger);
        g->addWidget(supprimer);
        form->addRow(groupe);

        connect(parcourir, &QPushButton::clicked, this, [this] {
            QStringList motifs;
            for (FormatSource f : tousLesFormats()) {
                motifs.append(
                    QStringLiteral("%1 (%2)").arg(libelleFormat(f), motifsFormat(f).join(u' ')));
            }
            const int courant = m_format->currentIndex();
            QString filtre = motifs.value(courant);
            const QString path = QFileDialog::getOpenFileName(
                this, QStringLiteral("Fichier à importer"), QFileInfo(m_chemin->text()).path(),
                motifs.join(QStringLiteral(";;")) + QStringLiteral(";;Tous les fichiers (*)"),
                &filtre);
            if (!path.isEmpty()) {
                m_chemin->setText(QDir::toNativeSeparators(path));
                if (const auto f = formatDuFichier(path)) {
                    m_format->setCurrentIndex(m_format->findData(static_cast<int>(*f)));
                }
            }
        });
        connect(m_chemin, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
        connect(charger, &QPushButton::clicked, this, [this] {
            if (m_reglages->currentIndex() >= 0 && m_w->chargerReglage(m_reglages->currentText())) {
                m_format->setCurrentIndex(
                    m_format->findData(static_cast<int>(m_w->reglage().format)));
            }
        });
        connect(supprimer, &QPushButton::clicked, this, [this] {
            const QString nom = m_reglages->currentText();
            if (!nom.isEmpty() &&
                MessageBoxes::confirm(
                    this,
                    QStringLiteral("Voulez-vous supprimer la spécification « %1 » ?").arg(nom))) {
                m_w->supprimerReglage(nom);
            }
        });
        connect(m_w, &AssistantImport::reglagesChanges, this, [this] { remplirReglages(); });
        remplirReglages();
    }

    void remplirReglages() {
        const QString courant = m_reglages->currentText();
        m_reglages->clear();
        m_reglages->addItems(m_w->depot().noms());
        m_reglages->setCurrentIndex(std::max(0, m_reglages->findText(courant)));
        m_w->signalerAvisDepot();
    }

    void initializePage() override {
        m_format->setCurrentIndex(m_format->findData(static_cast<int>(m_w->reglage().format)));
        if (m_chemin->text().isEmpty()) {
            m_chemin->setText(m_w->fichier());
        }
    }

    bool isComplete() const override { return !m_chemin->text().trimmed().isEmpty(); }

    bool validatePage() override {
        m_w->reglage().format = static_cast<FormatSource>(m_format->currentData().toInt());
        m_w->setFichier(QDir::fromNativeSeparators(m_chemin->text().trimmed()));
        return m_w->lireFichier();
    }

    QLineEdit* m_chemin;
    QComboBox* m_format;
    QComboBox* m_reglages;

private:
    AssistantImport* m_w;
};

// --- settings ----------------------------------------------------------------------------

class PageParametres : public QWizardPage {
public:
    explicit PageParametres(AssistantImport* w) : m_w(w) {
        setTitle(QStringLiteral("Paramètres"));
        setSubTitle(
            QStringLiteral("La feuille, la première ligne de données et la lecture des "
                           "valeurs écrites en texte."));
        auto* v = new QVBoxLayout(this);
        auto* general = new QFormLayout;
        v->addLayout(general);
        m_feuille = ligne(general, QStringLiteral("Feuille :"), new QComboBox);
        m_premiere = ligne(general, QStringLiteral("Première ligne de données :"), new QSpinBox);
        m_premiere->setRange(1, 1048576);
        m_arret = new QCheckBox(QStringLiteral("S'arrêter au premier problème"));
        m_arret->setChecked(true);
        m_arret->setEnabled(false);
        m_arret->setToolTip(QStringLiteral(
            "L'importation s'arrête à la première ligne refusée : les lignes précédentes restent "
            "enregistrées, rien n'est écrit après elle."));
        general->addRow(m_arret);

        m_texte = new QGroupBox(QStringLiteral("Fichier texte"));
        auto* t = new QFormLayout(m_texte);
        m_separateur = ligne(t, QStringLiteral("Séparateur de champs :"), new QComboBox);
        m_separateur->setEditable(true);
        m_separateur->addItems({QStringLiteral(";"), QStringLiteral(","),
                                QStringLiteral("Tabulation"), QStringLiteral("|")});
        m_delimiteur = ligne(t, QStringLiteral("Délimiteur de texte :"), new QComboBox);
        m_delimiteur->addItems(
            {QStringLiteral("\""), QStringLiteral("'"), QStringLiteral("(aucun)")});
        m_codage = ligne(t, QStringLiteral("Codage :"), new QComboBox);
        m_codage->addItems({QStringLiteral("Automatique"), QStringLiteral("UTF-8"),
                            QStringLiteral("Windows-1252")});
        v->addWidget(m_texte);

        auto* valeurs = new QGroupBox(QStringLiteral("Formats des valeurs écrites en texte"));
        auto* f = new QFormLayout(valeurs);
        m_ordre = ligne(f, QStringLiteral("Ordre des dates :"), new QComboBox);
        m_ordre->addItems({QStringLiteral("Jour, mois, année"), QStringLiteral("Mois, jour, année"),
                           QStringLiteral("Année, mois, jour")});
        m_sepDate = ligne(f, QStringLiteral("Séparateur de date :"), new QLineEdit);
        m_sepHeure = ligne(f, QStringLiteral("Séparateur d'heure :"), new QLineEdit);
        m_sepDate->setMaxLength(1);
        m_sepHeure->setMaxLength(1);
        m_quatre = new QCheckBox(QStringLiteral("Années sur quatre chiffres"));
        m_zeros = new QCheckBox(QStringLiteral("Jours et mois avec un zéro initial"));
        f->addRow(m_quatre);
        f->addRow(m_zeros);
        m_milliers = ligne(f, QStringLiteral("Séparateur des milliers :"), new QComboBox);
        m_milliers->addItems({QStringLiteral("Espace"), QStringLiteral("."), QStringLiteral(","),
                              QStringLiteral("'"), QStringLiteral("(aucun)")});
        m_decimal = ligne(f, QStringLiteral("Séparateur décimal :"), new QComboBox);
        m_decimal->addItems({QStringLiteral("."), QStringLiteral(",")});
        m_monnaie = ligne(f, QStringLiteral("Symbole monétaire :"), new QLineEdit);
        m_vrai = ligne(f, QStringLiteral("Valeur vraie :"), new QLineEdit);
        m_faux = ligne(f, QStringLiteral("Valeur fausse :"), new QLineEdit);
        v->addWidget(valeurs);
    }

    void initializePage() override {
        const ReglageImport& s = m_w->reglage();
        m_feuille->clear();
        m_feuille->addItems(m_w->classeur().nomsFeuilles());
        const int f = m_feuille->findText(s.feuille, Qt::MatchFixedString);
        m_feuille->setCurrentIndex(f >= 0 ? f : 0);
        m_premiere->setValue(s.premiereLigne);
        m_texte->setEnabled(s.format == FormatSource::Texte);
        m_separateur->setCurrentText(s.texte.separateur == u'\t' ? QStringLiteral("Tabulation")
                                                                 : caractere(s.texte.separateur));
        m_delimiteur->setCurrentIndex(s.texte.delimiteur.isNull()   ? 2
                                      : s.texte.delimiteur == u'\'' ? 1
                                                                    : 0);
        m_codage->setCurrentIndex(static_cast<int>(s.texte.codage));
        m_ordre->setCurrentIndex(static_cast<int>(s.valeurs.ordreDate));
        m_sepDate->setText(caractere(s.valeurs.separateurDate));
        m_sepHeure->setText(caractere(s.valeurs.separateurHeure));
        m_quatre->setChecked(s.valeurs.anneeQuatreChiffres);
        m_zeros->setChecked(s.valeurs.zerosEnTete);
        const QChar m = s.valeurs.separateurMilliers;
        m_milliers->setCurrentIndex(m.isNull()  ? 4
                                    : m == u' ' ? 0
                                                : std::max(0, m_milliers->findText(m)));
        m_decimal->setCurrentIndex(s.valeurs.separateurDecimal == u',' ? 1 : 0);
        m_monnaie->setText(s.valeurs.symboleMonetaire);
        m_vrai->setText(s.valeurs.vrai);
        m_faux->setText(s.valeurs.faux);
    }

    bool validatePage() override {
        ReglageImport& s = m_w->reglage();
        const QString sep = m_separateur->currentText();
        const QChar separateur = sep == u"Tabulation" ? QChar(u'\t') : premier(sep);
        const QChar delimiteur =
            m_delimiteur->currentIndex() == 2 ? QChar() : premier(m_delimiteur->currentText());
        if (s.format == FormatSource::Texte && (separateur.isNull() || separateur == delimiteur)) {
            MessageBoxes::showError(this, QStringLiteral("Choisissez un séparateur de champs, "
                                                         "différent du délimiteur de texte."));
            return false;
        }
        const QChar decimal = premier(m_decimal->currentText());
        const QChar milliers = m_milliers->currentIndex() == 4 ? QChar()
                               : m_milliers->currentIndex() == 0
                                   ? QChar(u' ')
                                   : premier(m_milliers->currentText());
        if (decimal == milliers) {
            MessageBoxes::showError(this, QStringLiteral("Le séparateur des milliers doit différer "
                                                         "du séparateur décimal."));
            return false;
        }
        const OptionsTexte avant = s.texte;
        s.texte.separateur = separateur;
        s.texte.delimiteur = delimiteur;
        s.texte.codage = static_cast<OptionsTexte::Codage>(m_codage->currentIndex());
        s.feuille = m_feuille->currentText();
        s.premiereLigne = m_premiere->value();
        s.valeurs.ordreDate = static_cast<FormatsValeurs::OrdreDate>(m_ordre->currentIndex());
        s.valeurs.separateurDate = premier(m_sepDate->text());
        s.valeurs.separateurHeure = premier(m_sepHeure->text());
        s.valeurs.anneeQuatreChiffres = m_quatre->isChecked();
        s.valeurs.zerosEnTete = m_zeros->isChecked();
        s.valeurs.separateurMilliers = milliers;
        s.valeurs.separateurDecimal = decimal;
        s.valeurs.symboleMonetaire = m_monnaie->text();
        s.valeurs.vrai = m_vrai->text();
        s.valeurs.faux = m_faux->text();
        // A text file is cut again when its separator, delimiter or encoding changed.
        if (s.format == FormatSource::Texte && !(avant == s.texte)) {
            return m_w->lireFichier();
        }
        return true;
    }

    QComboBox* m_feuille;
    QSpinBox* m_premiere;
    QCheckBox* m_arret;
    QGroupBox* m_texte;
    QComboBox* m_separateur;
    QComboBox* m_delimiteur;
    QComboBox* m_codage;
    QComboBox* m_ordre;
    QLineEdit* m_sepDate;
    QLineEdit* m_sepHeure;
    QCheckBox* m_quatre;
    QCheckBox* m_zeros;
    QComboBox* m_milliers;
    QComboBox* m_decimal;
    QLineEdit* m_monnaie;
    QLineEdit* m_vrai;
    QLineEdit* m_faux;

private:
    AssistantImport* m_w;
};

// --- mapping -----------------------------------------------------------------------------

class PageCorrespondance : public QWizardPage {
public:
    explicit PageCorrespondance(AssistantImport* w) : m_w(w) {
        setTitle(QStringLiteral("Correspondance des colonnes"));
        setSubTitle(
            QStringLiteral("La lettre de la colonne du fichier qui remplit chaque colonne "
                           "de la table ; sans lettre, la colonne garde la valeur que lui "
                           "donnent les règles."));
        auto* v = new QVBoxLayout(this);
        m_table = new QTableWidget(0, 3);
        m_table->setAccessibleName(QStringLiteral("Correspondance des colonnes"));
        m_table->setHorizontalHeaderLabels({QStringLiteral("Colonne de la table"),
                                            QStringLiteral("Lettre"),
                                            QStringLiteral("Titre dans le fichier")});
        m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        m_table->horizontalHeader()->setStretchLastSection(true);
        m_table->verticalHeader()->hide();
        v->addWidget(m_table);
        auto* retablir = new QPushButton(QStringLiteral("Rétablir la correspondance de la page"));
        v->addWidget(retablir, 0, Qt::AlignLeft);
        connect(retablir, &QPushButton::clicked, this, [this] {
            m_w->reglage().correspondances = m_w->preset().correspondances;
            remplir();
        });
        connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
            if (item->column() == 1 && !m_remplissage) {
                m_remplissage = true;
                item->setText(item->text().trimmed().toUpper());
                m_table->item(item->row(), 2)->setText(titre(item->text()));
                m_remplissage = false;
            }
        });
    }

    QString titre(const QString& lettre) const {
        const FeuilleSource* f = m_w->feuille();
        const int c = indexColonne(lettre);
        if (!f || c < 0 || m_w->reglage().premiereLigne < 2) {
            return QString();
        }
        return f->cellule(m_w->reglage().premiereLigne - 2, c).texteAffiche();
    }

    void remplir() {
        m_remplissage = true;
        const auto& mapping = m_w->reglage().correspondances;
        m_table->setRowCount(static_cast<int>(mapping.size()));
        for (int i = 0; i < mapping.size(); ++i) {
            auto* colonne = new QTableWidgetItem(mapping[i].colonne);
            colonne->setFlags(colonne->flags() & ~Qt::ItemIsEditable);
            m_table->setItem(i, 0, colonne);
            m_table->setItem(i, 1, new QTableWidgetItem(mapping[i].lettre));
            auto* t = new QTableWidgetItem(titre(mapping[i].lettre));
            t->setFlags(t->flags() & ~Qt::ItemIsEditable);
            m_table->setItem(i, 2, t);
        }
        m_remplissage = false;
    }

    void initializePage() override { remplir(); }

    bool validatePage() override {
        auto& mapping = m_w->reglage().correspondances;
        for (int i = 0; i < mapping.size() && i < m_table->rowCount(); ++i) {
            mapping[i].lettre = m_table->item(i, 1)->text().trimmed().toUpper();
        }
        const QString motif =
            ImportateurLignes(m_w->cible(), m_w->reglage()).verifierCorrespondances();
        if (!motif.isEmpty()) {
            MessageBoxes::showError(this, motif);
            return false;
        }
        return true;
    }

    QTableWidget* m_table;

private:
    AssistantImport* m_w;
    bool m_remplissage = false;
};

// --- preview -----------------------------------------------------------------------------

class PageApercu : public QWizardPage {
public:
    static constexpr int kLignes = 20;

    explicit PageApercu(AssistantImport* w) : m_w(w) {
        setTitle(QStringLiteral("Aperçu"));
        setSubTitle(QStringLiteral("Les premières lignes telles qu'elles seront enregistrées."));
        auto* v = new QVBoxLayout(this);
        m_resume = new QLabel;
        m_resume->setWordWrap(true);
        v->addWidget(m_resume);
        m_table = new QTableWidget;
        m_table->setAccessibleName(QStringLiteral("Aperçu"));
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->addWidget(m_table);
        setButtonText(QWizard::FinishButton, QStringLiteral("Importer"));
    }

    void initializePage() override {
        const FeuilleSource* f = m_w->feuille();
        const ImportateurLignes importateur(m_w->cible(), m_w->reglage());
        const auto lignes =
            f ? importateur.apercu(*f, kLignes) : QVector<ImportateurLignes::LigneApercu>();
        const QStringList colonnes = importateur.colonnesApercu();
        m_table->clear();
        m_table->setColumnCount(static_cast<int>(colonnes.size()));
        m_table->setRowCount(static_cast<int>(lignes.size()));
        m_table->setHorizontalHeaderLabels(colonnes);
        int refusees = 0;
        for (int r = 0; r < lignes.size(); ++r) {
            m_table->setVerticalHeaderItem(r,
                                           new QTableWidgetItem(QString::number(lignes[r].ligne)));
            for (int c = 0; c < colonnes.size(); ++c) {
                auto* item = new QTableWidgetItem(lignes[r].valeurs.value(c));
                const QString erreur = lignes[r].erreurs.value(c);
                if (!erreur.isEmpty()) {
                    item->setBackground(QColor(255, 200, 200));
                    item->setToolTip(erreur);
                    ++refusees;
                }
                m_table->setItem(r, c, item);
            }
        }
        m_table->resizeColumnsToContents();
        const int premiere = m_w->reglage().premiereLigne;
        const int total = f ? std::max(0, f->nombreLignes() - premiere + 1) : 0;
        QString resume = QStringLiteral("Feuille « %1 », lignes %2 à %3 : %4 ligne(s) de données.")
                             .arg(f ? f->nom : QString())
                             .arg(premiere)
                             .arg(premiere + total - 1)
                             .arg(total);
        if (refusees > 0) {
            resume += QStringLiteral(
                " Les cellules en rouge seront refusées : l'importation "
                "s'arrêtera à la première d'entre elles.");
        }
        m_resume->setText(resume);
    }

    QLabel* m_resume;
    QTableWidget* m_table;

private:
    AssistantImport* m_w;
};

}  // namespace

AssistantImport::AssistantImport(Dataset& cible, const ReglageImport& preset,
                                 const DepotReglages& depot, QWidget* parent)
    : QWizard(parent), m_cible(cible), m_preset(preset), m_reglage(preset), m_depot(depot) {
    setWindowTitle(QStringLiteral("Importation de lignes"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveCustomButton1);
    setButtonText(QWizard::CustomButton1, QStringLiteral("Enregistrer la spécification..."));
    setButtonText(QWizard::NextButton, QStringLiteral("Suivant >"));
    setButtonText(QWizard::BackButton, QStringLiteral("< Précédent"));
    setButtonText(QWizard::CancelButton, QStringLiteral("Annuler"));
    setButtonText(QWizard::FinishButton, QStringLiteral("Importer"));
    setPage(PageFichier, new ::PageFichier(this));
    setPage(PageParametres, new ::PageParametres(this));
    setPage(PageCorrespondance, new ::PageCorrespondance(this));
    setPage(PageApercu, new ::PageApercu(this));
    connect(this, &QWizard::customButtonClicked, this, [this](int which) {
        if (which == QWizard::CustomButton1) {
            BtnEnregistrerClick();
        }
    });
    resize(760, 560);
}

AssistantImport::~AssistantImport() = default;

void AssistantImport::setFichier(const QString& path) {
    if (path != m_fichier) {
        m_fichier = path;
        m_classeur = Classeur();
    }
}

const FeuilleSource* AssistantImport::feuille() const {
    if (m_classeur.feuilles.isEmpty()) {
        return nullptr;
    }
    const FeuilleSource* f = m_classeur.feuille(m_reglage.feuille);
    return f ? f : &m_classeur.feuilles.front();
}

bool AssistantImport::lireFichier() {
    try {
        m_classeur = LecteurSource::lire(m_fichier, m_reglage.format, m_reglage.texte);
    } catch (const ImportError& e) {
        m_classeur = Classeur();
        MessageBoxes::showError(this, e.text());
        return false;
    }
    const FeuilleSource* f = feuille();
    if (f && f->estVide()) {
        bool autre = false;
        for (const FeuilleSource& s : m_classeur.feuilles) {
            autre |= !s.estVide();
        }
        if (!autre) {
            MessageBoxes::showError(this,
                                    QStringLiteral("Le fichier « %1 » ne contient aucune donnée.")
                                        .arg(QFileInfo(m_fichier).fileName()));
            return false;
        }
    }
    return true;
}

void AssistantImport::BtnEnregistrerClick() {
    // What the current page shows is part of what is saved.
    if (QWizardPage* p = currentPage();
        p && currentId() != PageFichier && currentId() != PageApercu) {
        if (!p->validatePage()) {
            return;
        }
    }
    bool ok = false;
    const QString nom = QInputDialog::getItem(this, QStringLiteral("Enregistrer la spécification"),
                                              QStringLiteral("Nom de la spécification :"),
                                              m_depot.noms(), 0, true, &ok)
                            .trimmed();
    if (ok && !nom.isEmpty()) {
        if (m_depot.noms().contains(nom) &&
            !MessageBoxes::confirm(this, QStringLiteral("La spécification « %1 » existe déjà. "
                                                        "Voulez-vous la remplacer ?")
                                             .arg(nom))) {
            return;
        }
        enregistrerReglage(nom);
    }
}

void AssistantImport::signalerAvisDepot() {
    if (const QString avis = m_depot.prendreAvis(); !avis.isEmpty()) {
        MessageBoxes::information(this, avis);
    }
}

void AssistantImport::enregistrerReglage(const QString& nom) {
    try {
        m_depot.enregistrer(nom, m_reglage);
        signalerAvisDepot();
        emit reglagesChanges();
    } catch (const ImportError& e) {
        m_depot.prendreAvis();
        MessageBoxes::showError(this, e.text());
    }
}

bool AssistantImport::chargerReglage(const QString& nom) {
    const auto lu = m_depot.charger(nom);
    signalerAvisDepot();
    if (!lu) {
        MessageBoxes::showError(this,
                                QStringLiteral("La spécification « %1 » n'existe plus.").arg(nom));
        emit reglagesChanges();
        return false;
    }
    m_reglage = *lu;
    // Settings saved on another page keep the mapping of this one.
    if (!lu->correspondances.isEmpty() && ImportateurLignes(m_cible, *lu)
                                              .verifierCorrespondances()
                                              .startsWith(QStringLiteral("La colonne"))) {
        m_reglage.correspondances = m_preset.correspondances;
        MessageBoxes::information(this,
                                  QStringLiteral("La correspondance des colonnes de « %1 » ne "
                                                 "convient pas à cette page : celle de la "
                                                 "page est gardée.")
                                      .arg(nom));
    }
    m_classeur = Classeur();
    return true;
}

void AssistantImport::supprimerReglage(const QString& nom) {
    try {
        m_depot.supprimer(nom);
        signalerAvisDepot();
        emit reglagesChanges();
    } catch (const ImportError& e) {
        m_depot.prendreAvis();
        MessageBoxes::showError(this, e.text());
    }
}

void AssistantImport::accept() {
    executer();
    QWizard::accept();
}

void AssistantImport::executer() {
    const FeuilleSource* f = feuille();
    m_bilan = BilanImport();
    if (!f) {
        return;
    }
    QProgressDialog progression(QStringLiteral("Importation des lignes de « %1 »...").arg(f->nom),
                                QStringLiteral("Annuler"), 0, 1, this);
    progression.setWindowTitle(QStringLiteral("Importing..."));
    progression.setWindowModality(Qt::WindowModal);
    progression.setMinimumDuration(0);
    progression.setAutoClose(false);
    progression.setAutoReset(false);
    progression.setValue(0);
    QElapsedTimer pas;
    pas.start();
    ImportateurLignes importateur(m_cible, m_reglage);
    m_bilan = importateur.importer(*f, [&](int faites, int total) {
        // The screen follows a few times a second; a cancellation is seen between two rows.
        if (faites == total || pas.elapsed() >= 50) {
            progression.setMaximum(std::max(1, total));
            progression.setValue(faites);
            QCoreApplication::processEvents();
            pas.restart();
        }
        return !progression.wasCanceled();
    });
    progression.close();
    emit importTermine(m_bilan.importees);
    if (m_bilan.probleme) {
        MessageBoxes::showError(this, m_bilan.rapport());
    } else {
        MessageBoxes::information(this, m_bilan.rapport());
    }
}

BilanImport AssistantImport::importerPage(QWidget* fenetre, int page, Dataset& cible) {
    AssistantImport assistant(cible, ReglageImport::pourPage(page), DepotReglages(), fenetre);
    assistant.exec();
    return assistant.bilan();
}
