#include "declaration/ui/Tfrmproblemes.h"

#include "declaration/DeclarationValidator.h"
#include "declaration/ProblemListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

const QString Tfrmproblemes::kCaption = QStringLiteral("Contrôle de la déclaration");

Tfrmproblemes::Tfrmproblemes(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_model(new ProblemListModel(this)),
      m_labelResume(new QLabel(this)),
      m_grille(new QTableView(this)),
      m_labelDetail(new QLabel(this)),
      m_btnCopier(new QPushButton(QStringLiteral("Copier"), this)),
      m_btnFermer(new QPushButton(QStringLiteral("Fermer"), this)) {
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);

    m_labelResume->setWordWrap(true);
    m_labelResume->setBuddy(m_grille);

    m_grille->setModel(m_model);
    m_grille->setAccessibleName(QStringLiteral("Problèmes"));
    m_grille->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grille->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grille->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grille->setAlternatingRowColors(true);
    m_grille->setWordWrap(false);
    m_grille->setTextElideMode(Qt::ElideRight);
    m_grille->verticalHeader()->hide();
    // Rows of one line each: a long declaration can have many thousand problems.
    m_grille->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = m_grille->horizontalHeader();
    header->setStretchLastSection(true);
    header->resizeSection(ProblemListModel::Fenetre, 170);
    header->resizeSection(ProblemListModel::Page, 200);
    header->resizeSection(ProblemListModel::Ligne, 50);
    header->resizeSection(ProblemListModel::Champ, 200);
    m_grille->installEventFilter(this);

    // The problem column is cut to its width: the whole sentence shows here.
    m_labelDetail->setWordWrap(true);
    m_labelDetail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_labelDetail->setFrameShape(QFrame::StyledPanel);
    m_labelDetail->setMinimumHeight(3 * fontMetrics().lineSpacing());
    m_labelDetail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_labelDetail->setMargin(4);

    m_btnCopier->setToolTip(QStringLiteral("Copier la liste des problèmes"));
    m_btnFermer->setAutoDefault(false);
    m_btnCopier->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnCopier);
    buttons->addStretch(1);
    buttons->addWidget(m_btnFermer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_labelResume);
    layout->addWidget(m_grille, 1);
    layout->addWidget(m_labelDetail);
    layout->addLayout(buttons);
    resize(1100, 420);

    connect(m_grille, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OuvrirProbleme(index.row()); });
    connect(m_grille->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                m_labelDetail->setText(current.isValid() ? m_model->problem(current.row()).text()
                                                         : QString());
            });
    connect(m_btnCopier, &QPushButton::clicked, this, &Tfrmproblemes::BtnCopierClick);
    connect(m_btnFermer, &QPushButton::clicked, this, &QWidget::close);
}

Tfrmproblemes::~Tfrmproblemes() = default;

void Tfrmproblemes::setProblems(const QString& declaration, const DeclarationProblems& problems) {
    m_model->setProblems(problems);
    const qsizetype count = problems.size();
    QString resume;
    if (count == 0) {
        resume = QStringLiteral(
                     "Déclaration %1 : aucun problème, le schéma de l'administration "
                     "(%2) l'accepte.")
                     .arg(declaration, DeclarationValidator::schemaName());
    } else {
        resume = QStringLiteral(
                     "Déclaration %1 : %2 problème%3 que l'administration refuserait "
                     "(schéma %4). Double-cliquez sur un problème, ou appuyez sur "
                     "Entrée, pour ouvrir la fenêtre de saisie à la page et à la ligne "
                     "concernées.")
                     .arg(declaration)
                     .arg(count)
                     .arg(count > 1 ? QStringLiteral("s") : QString())
                     .arg(DeclarationValidator::schemaName());
    }
    m_labelResume->setText(resume);
    m_labelDetail->clear();
    if (count > 0) {
        m_grille->setCurrentIndex(m_model->index(0, 0));
    }
}

void Tfrmproblemes::OuvrirProbleme(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    emit emplacementDemande(m_model->problem(row).location);
}

void Tfrmproblemes::BtnCopierClick() {
    QStringList lines;
    for (const DeclarationProblem& p : m_model->problems()) {
        lines.append(p.text());
    }
    QApplication::clipboard()->setText(lines.join(u'\n'));
}

bool Tfrmproblemes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grille && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OuvrirProbleme(m_grille->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
