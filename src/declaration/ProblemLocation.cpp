#include "declaration/ProblemLocation.h"

DeclarationWindow ProblemLocation::window() const {
    switch (page) {
        case DeclarationPage::IdentificationEntreprise:
        case DeclarationPage::LiensCapital:
        case DeclarationPage::CapitalDeclarante:
        case DeclarationPage::AutresInformations:
            return DeclarationWindow::Societe;
        case DeclarationPage::InformationsGroupe:
        case DeclarationPage::ActifsIncorporels:
        case DeclarationPage::ActifsCorporels:
            return DeclarationWindow::Groupe;
        case DeclarationPage::MontantsTransactions:
        case DeclarationPage::PretsEmprunts:
        case DeclarationPage::SansContrepartie:
        case DeclarationPage::AccordsPrealables:
            break;
    }
    return DeclarationWindow::Operations;
}

int ProblemLocation::pageIndex() const {
    switch (page) {
        case DeclarationPage::IdentificationEntreprise:
        case DeclarationPage::InformationsGroupe:
        case DeclarationPage::MontantsTransactions:
            return 0;
        case DeclarationPage::LiensCapital:
        case DeclarationPage::ActifsIncorporels:
        case DeclarationPage::PretsEmprunts:
            return 1;
        case DeclarationPage::CapitalDeclarante:
        case DeclarationPage::ActifsCorporels:
        case DeclarationPage::SansContrepartie:
            return 2;
        case DeclarationPage::AutresInformations:
        case DeclarationPage::AccordsPrealables:
            break;
    }
    return 3;
}

QString ProblemLocation::table() const {
    switch (page) {
        case DeclarationPage::IdentificationEntreprise:
        case DeclarationPage::AutresInformations:
            return QStringLiteral("SOCIETE");
        case DeclarationPage::LiensCapital:
            return QStringLiteral("CAPITALLIEE");
        case DeclarationPage::CapitalDeclarante:
            return QStringLiteral("CAPITALDECLARANTE");
        case DeclarationPage::InformationsGroupe:
            return QStringLiteral("INFORMATIONGROUPE");
        case DeclarationPage::ActifsIncorporels:
            return QStringLiteral("LISTEACTIFINCORPOREL");
        case DeclarationPage::ActifsCorporels:
            return QStringLiteral("LISTEACTIFCORPOREL");
        case DeclarationPage::MontantsTransactions:
            return QStringLiteral("OPERATIONSMONTANTS");
        case DeclarationPage::PretsEmprunts:
            return QStringLiteral("OPERATIONPRETEMPRUNT");
        case DeclarationPage::SansContrepartie:
            return QStringLiteral("OPERATIONSANSCONTRE");
        case DeclarationPage::AccordsPrealables:
            break;
    }
    return QStringLiteral("OPERATIONRESCRITFISCAUX");
}

QString ProblemLocation::windowTitle(DeclarationWindow window) {
    switch (window) {
        case DeclarationWindow::Societe:
            return QStringLiteral("Paramètre de la société");
        case DeclarationWindow::Groupe:
            return QStringLiteral("Informations Groupe de Sociétés");
        case DeclarationWindow::Operations:
            break;
    }
    return QStringLiteral("Opérations");
}

QString ProblemLocation::pageTitle(DeclarationPage page) {
    switch (page) {
        case DeclarationPage::IdentificationEntreprise:
            return QStringLiteral("Identification Entreprise");
        case DeclarationPage::LiensCapital:
            return QStringLiteral("Liens Capital");
        case DeclarationPage::CapitalDeclarante:
            return QStringLiteral("Capital Déclarante");
        case DeclarationPage::AutresInformations:
            return QStringLiteral("Autres Informations");
        case DeclarationPage::InformationsGroupe:
            return QStringLiteral("Informations Groupe d'Entreprises");
        case DeclarationPage::ActifsIncorporels:
            return QStringLiteral("Actifs Incorporels");
        case DeclarationPage::ActifsCorporels:
            return QStringLiteral("Actifs Corporels");
        case DeclarationPage::MontantsTransactions:
            return QStringLiteral("Montants des transactions");
        case DeclarationPage::PretsEmprunts:
            return QStringLiteral("Informations Prets et Emprunts");
        case DeclarationPage::SansContrepartie:
            return QStringLiteral("Opérations sans Contre Partie");
        case DeclarationPage::AccordsPrealables:
            break;
    }
    return QStringLiteral("Opérations avec accord préalable");
}

QString ProblemLocation::describe() const {
    QString text = windowTitle(window()) + QStringLiteral(" — ") + pageTitle(page);
    if (lg > 0) {
        text += QStringLiteral(", ligne ") + QString::number(lg);
    }
    return text;
}
