#include "widgets/TFrmMotPasse.h"

#include "db/Connection.h"
#include "widgets/PasswordEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

QString TFrmMotPasse::codeAcces() {
    return QString::fromLatin1(db::Credentials::kDefaultPassword);
}

TFrmMotPasse::TFrmMotPasse(QWidget* parent)
    : QDialog(parent), m_motDePasse(new PasswordEdit(this)) {
    setWindowTitle(QString());
    setObjectName(QStringLiteral("FrmMotPasse"));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("Mot de Passe"), this);
    label->setBuddy(m_motDePasse);
    m_motDePasse->setAccessibleName(label->text());
    m_motDePasse->setObjectName(QStringLiteral("EditMotPasse"));
    m_motDePasse->setMinimumWidth(180);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BtnOk"));
    m_ok->setDefault(true);
    m_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_annuler->setObjectName(QStringLiteral("BtnAnnuler"));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_annuler, &QPushButton::clicked, this, &QDialog::reject);

    m_demande = new QLabel(this);
    m_demande->setObjectName(QStringLiteral("LabelDemande"));
    m_demande->setWordWrap(true);
    m_demande->hide();

    auto* fields = new QFormLayout;
    fields->addRow(label, m_motDePasse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_annuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_demande);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    m_motDePasse->setFocus();
}

QString TFrmMotPasse::motDePasse() const {
    return m_motDePasse->text();
}

void TFrmMotPasse::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
    m_motDePasse->setFocus(Qt::OtherFocusReason);
}

void TFrmMotPasse::setDemande(const QString& titre, const QString& demande) {
    setWindowTitle(titre);
    m_demande->setText(demande);
    m_demande->setVisible(!demande.isEmpty());
    m_motDePasse->setAccessibleDescription(demande);
}

QString TFrmMotPasse::demande() const {
    return m_demande->text();
}

bool TFrmMotPasse::demanderCodeAcces(QWidget* parent, const QString& titre,
                                     const QString& demande) {
    TFrmMotPasse prompt(parent);
    if (!titre.isEmpty() || !demande.isEmpty()) {
        prompt.setDemande(titre, demande);
    }
    const bool ok = prompt.exec() == QDialog::Accepted;
    return ok && prompt.motDePasse().trimmed() == codeAcces();
}
