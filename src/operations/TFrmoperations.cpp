#include "operations/TFrmoperations.h"

#include "data/CodeLists.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "reference/Choix.h"
#include "widgets/DBComboBox.h"
#include "widgets/KeyboardNavigator.h"
#include "widgets/LibelleCode.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ServicesFenetres.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kTypeMontant = QStringLiteral("TYPEMONTANT");
const QString kNature = QStringLiteral("NATUREOPERATIONS");
const QString kOuverture = QStringLiteral("SOLDEOUVERTURE");
const QString kAugmentations = QStringLiteral("AUGMENTATIONS");
const QString kDiminutions = QStringLiteral("DIMINUTIONS");
const QString kCloture = QStringLiteral("SOLDECLOTURE");
const QString kEtat = QStringLiteral("ETATTERRITORIAL");
const QString kMatricule = QStringLiteral("MATRICULEFISCAL");
const QString kDevise = QStringLiteral("DEVISE");

int numeroPage(int indicateur) {
    return indicateur >= 1 && indicateur <= PagesOperations::kNombre ? indicateur : 1;
}

}  // namespace

TFrmoperations::TFrmoperations(ServicesFenetres& services, QWidget* parent)
    : QWidget(parent),
      m_services(services),
      m_definition(PagesOperations::page(numeroPage(services.contexte().Indicateur), *Dataprix)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Frmoperations"));
    setWindowTitle(QStringLiteral("Oérations"));
    m_navigateur = new KeyboardNavigator(this);

    m_bandeau = new QLabel(this);
    m_bandeau->setObjectName(QStringLiteral("Bandeau"));
    m_bandeau->setAlignment(Qt::AlignCenter);
    QFont grand = m_bandeau->font();
    grand.setBold(true);
    grand.setPointSizeF(grand.pointSizeF() * 1.4);
    m_bandeau->setFont(grand);

    // Four tabs; only the window's page has content and can be chosen.
    m_onglets = new QTabWidget(this);
    m_onglets->setObjectName(QStringLiteral("PageControl1"));
    m_onglets->tabBar()->setFocusPolicy(Qt::NoFocus);
    m_page = new PageLignes(m_definition.lignes, m_navigateur, m_onglets);
    m_page->setObjectName(QStringLiteral("Page%1").arg(page()));
    for (int numero = 1; numero <= PagesOperations::kNombre; ++numero) {
        QWidget* contenu = numero == page() ? m_page : new QWidget(m_onglets);
        m_onglets->addTab(contenu, PagesOperations::onglet(numero));
    }

    if (!m_definition.totaux.isEmpty()) {
        for (int i = 0; i < 2; ++i) {
            auto* total = new QLineEdit(m_page);
            total->setReadOnly(true);
            total->setAlignment(Qt::AlignRight);
            total->setAccessibleName(m_definition.libellesTotaux[i]);
            total->setToolTip(m_definition.libellesTotaux[i]);
            total->setMinimumWidth(total->fontMetrics().horizontalAdvance(u'0') * 20);
            total->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            auto* legende = new QLabel(m_definition.libellesTotaux[i], m_page);
            legende->setObjectName(QStringLiteral("LegendeTotal%1").arg(i + 1));
            legende->setBuddy(total);
            if (i > 0) {
                legende->setContentsMargins(legende->fontMetrics().averageCharWidth() * 3, 0, 0, 0);
            }
            m_page->ajouterSousListe(legende);
            m_page->ajouterSousListe(total);
            m_totaux[i] = total;
        }
    }
    m_importExcel = new QPushButton(QStringLiteral("Import Excel"), m_page);
    m_importExcel->setToolTip(QStringLiteral("Import Excel"));
    m_importExcel->setEnabled(static_cast<bool>(services.importExcel()));
    m_page->ajouterApresEffacerTout(m_importExcel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bandeau);
    layout->addWidget(m_onglets, 1);

    FormulaireSaisie* formulaire = m_page->formulaire();
    new LibelleCode(libelleTerritorial(), dataset(), formulaire->controle(kEtat),
                    LibelleCode::nomEtat());
    if (page() == 1) {
        // The nature of an operation means what the list of the line's amount type says.
        formulaire->setListeSignification(kNature, [this] {
            return CodeLists::ListesNatureOperation(
                dataset()->value(kTypeMontant).toText().trimmed());
        });
        connect(dataset(), &Dataset::fieldChanged, this, [this](const QString& champ) {
            if (champ.compare(kTypeMontant, Qt::CaseInsensitive) == 0) {
                m_page->formulaire()->actualiserSignification(kNature);
            }
        });
        connect(dataset(), &Dataset::currentRowChanged, this,
                [this] { m_page->formulaire()->actualiserSignification(kNature); });
    }
    connect(formulaire, &FormulaireSaisie::sortie, this, &TFrmoperations::champQuitte);
    connect(formulaire, &FormulaireSaisie::doubleClic, this, &TFrmoperations::champDoubleClic);
    connect(m_page, &PageLignes::valide, this, &TFrmoperations::apresValider);
    connect(m_page, &PageLignes::supprime, this, &TFrmoperations::calculerTotaux);
    connect(m_page, &PageLignes::effaceTout, this, &TFrmoperations::calculerTotaux);
    connect(m_page->boutonFermer(), &QPushButton::clicked, this, &QWidget::close);
    connect(m_importExcel, &QPushButton::clicked, this, &TFrmoperations::BtnImportExcelClick);

    // Lines sent or deleted by any view of the dataset (a click on another line, Ctrl+Delete
    // in the list, another window, an import): the totals follow once the change is done.
    if (!m_definition.totaux.isEmpty()) {
        Dataset* ds = dataset();
        connect(ds, &Dataset::rowRemoved, this, &TFrmoperations::totauxAJour);
        connect(ds, &Dataset::stateChanged, this, [this](DatasetState etat) {
            if (etat == DatasetState::Browse) {
                totauxAJour();
            }
        });
    }

    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f10, &QShortcut::activated, m_page, &PageLignes::BtnValiderClick);

    FormCreate();
    connect(m_onglets, &QTabWidget::currentChanged, this, &TFrmoperations::PageControl1Change);
    // The window opens ready to type: in its first field, or its list on page 4.
    m_page->premierChamp()->setFocus(Qt::OtherFocusReason);
}

TFrmoperations::~TFrmoperations() = default;

Dataset* TFrmoperations::dataset() const {
    return m_definition.lignes.dataset;
}

QLabel* TFrmoperations::libelleTerritorial() const {
    return m_page->formulaire()->apres(kEtat);
}

void TFrmoperations::FormCreate() {
    preparerPage();
}

void TFrmoperations::PageControl1Change(int index) {
    if (m_enPreparation || index == page() - 1) {
        return;
    }
    preparerPage();
}

void TFrmoperations::preparerPage() {
    m_enPreparation = true;
    const int index = page() - 1;
    for (int i = 0; i < m_onglets->count(); ++i) {
        m_onglets->setTabVisible(i, i == index);
        m_onglets->setTabEnabled(i, i == index);
    }
    m_bandeau->setText(m_definition.entete);
    m_onglets->setCurrentIndex(index);
    m_enPreparation = false;
    try {
        rouvrirReference(Dataprix->devise);
        rouvrirReference(Dataprix->Etatterritorial);
        m_page->charger();
        calculerTotaux();
        Dataset* ds = dataset();
        if (!ds->isEmpty()) {
            const db::Value pays = Dataprix->Etatterritorial->lookup(
                QStringLiteral("CODE"), ds->value(kEtat), QStringLiteral("PAYS"));
            libelleTerritorial()->setText(pays.toText());
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void TFrmoperations::rouvrirReference(Dataset* reference) {
    // A row another window is typing into is sent first; when it is refused, that list and
    // the row stay as they are, and the page is set up all the same.
    try {
        reference->reopen();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

QString TFrmoperations::texteTotal(const db::Decimal& total) {
    return total.format(QStringLiteral("### ### ##0.000"), QLocale().decimalPoint().at(0));
}

void TFrmoperations::calculerTotaux() {
    m_totauxDemandes = false;
    if (m_definition.totaux.isEmpty()) {
        return;
    }
    Dataset* ds = dataset();
    db::Decimal sommes[2];
    try {
        if (ds->isActive()) {
            ds->fetchAll();
            for (int ligne = 0; ligne < ds->rowCount(); ++ligne) {
                for (int i = 0; i < 2; ++i) {
                    sommes[i] += ds->valueAt(ligne, m_definition.totaux[i]).toDecimal();
                }
            }
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    for (int i = 0; i < 2; ++i) {
        m_totaux[i]->setText(texteTotal(sommes[i]));
    }
}

void TFrmoperations::totauxAJour() {
    // Asked from inside the dataset's notifications: computed once the change is complete,
    // since the computation may fetch rows.
    if (m_totauxDemandes) {
        return;
    }
    m_totauxDemandes = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_totauxDemandes) {
                calculerTotaux();
            }
        },
        Qt::QueuedConnection);
}

void TFrmoperations::apresValider() {
    if (m_definition.totaux.isEmpty()) {
        // Pages 3 and 4: the sent line stays current, in modification.
        return;
    }
    Dataset* ds = dataset();
    try {
        // Nothing has changed since the send: the modification ends, and the list ends on its
        // last line, as after walking through every line for the totals.
        ds->checkBrowseMode();
        calculerTotaux();
        ds->last();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void TFrmoperations::champQuitte(const QString& colonne) {
    if (page() == 1 && colonne == kTypeMontant) {
        DBComboBox9Exit();
    } else if (page() == 2 &&
               (colonne == kOuverture || colonne == kAugmentations || colonne == kDiminutions)) {
        SoldeExit();
    }
}

void TFrmoperations::champDoubleClic(const QString& colonne) {
    if (colonne == kMatricule) {
        MatriculeFiscalDblClick();
    } else if (colonne == kEtat) {
        EtatTerritorialDblClick();
    } else if (colonne == kDevise) {
        DeviseDblClick();
    }
}

void TFrmoperations::MatriculeFiscalDblClick() {
    const auto societe = Choix::societeLiee(
        m_services, this, Choix::valeurDe(m_page->formulaire()->controle(kMatricule)));
    if (!societe) {
        return;
    }
    try {
        Choix::copierSocieteLiee(*dataset(), *societe, kMatricule, kEtat);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void TFrmoperations::EtatTerritorialDblClick() {
    if (!Choix::etatTerritorial(m_services, this,
                                Choix::valeurDe(m_page->formulaire()->controle(kEtat)))) {
        return;
    }
    try {
        dataset()->setValue(kEtat, m_services.contexte().CodeChoisi);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    libelleTerritorial()->setText(m_services.contexte().LibelleChoisi);
}

void TFrmoperations::DeviseDblClick() {
    if (!Choix::devise(m_services, this,
                       Choix::valeurDe(m_page->formulaire()->controle(kDevise)))) {
        return;
    }
    try {
        dataset()->setValue(kDevise, m_services.contexte().CodeChoisi);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void TFrmoperations::DBComboBox9Exit() {
    Dataset* ds = dataset();
    if (!ds->isActive()) {
        return;
    }
    const QString type = ds->value(kTypeMontant).toText().trimmed();
    const QStringList natures = CodeLists::ListesNatureOperation(type);
    if (natures.isEmpty()) {
        // Type 7, empty or typed: the nature keeps its items and its value.
        return;
    }
    if (auto* champ = m_page->formulaire()->controle<DBComboBox>(kNature)) {
        champ->setItems(natures);
    }
    const QString nature = ds->value(kNature).toText().trimmed();
    if (!ds->isEditing() || CodeLists::natureValide(type, nature)) {
        return;
    }
    try {
        ds->setValue(kNature, db::Value());
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    MessageBoxes::information(this, avertissementNature());
}

void TFrmoperations::SoldeExit() {
    Dataset* ds = dataset();
    if (!ds->isEditing()) {
        return;
    }
    try {
        db::Decimal soldes[3];
        const QString colonnes[3] = {kOuverture, kAugmentations, kDiminutions};
        for (int i = 0; i < 3; ++i) {
            const db::Value valeur = ds->value(colonnes[i]);
            if (valeur.isNull()) {
                ds->setValue(colonnes[i], db::Value(db::Decimal::fromInt(0)));
            } else {
                soldes[i] = valeur.toDecimal();
            }
        }
        ds->setValue(kCloture, db::Value(soldes[0] + soldes[1] - soldes[2]));
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void TFrmoperations::BtnImportExcelClick() {
    if (const ServicesFenetres::ImportExcel import = m_services.importExcel()) {
        import(this, page(), *dataset());
    }
}

bool TFrmoperations::fermetureAcceptee() {
    // A line the database refuses on Oui stays being edited and the window open, for the
    // user to correct it.
    return m_page->fermetureAcceptee();
}

void TFrmoperations::closeEvent(QCloseEvent* event) {
    if (fermetureAcceptee()) {
        event->accept();
    } else {
        event->ignore();
    }
}
