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

    auto* fields = new QFormLayout;
    fields->addRow(label, m_motDePasse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_annuler);
    auto* layout = new QVBoxLayout(this);
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

bool TFrmMotPasse::demanderCodeAcces(QWidget* parent) {
    TFrmMotPasse prompt(parent);
    const bool ok = prompt.exec() == QDialog::Accepted;
    return ok && prompt.motDePasse().trimmed() == codeAcces();
}
