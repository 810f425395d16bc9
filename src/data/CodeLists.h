#pragma once

#include "db/Value.h"

#include <QString>
#include <QStringList>

/**
 * The coded lists of the declaration forms. Each item text begins with its code; the
 * stored code of a chosen or typed text is that text cut to the column's width.
 */
class CodeLists {
public:
    /// The stored value of @p text in a column of @p width characters: null when empty.
    static db::Value storedCode(const QString& text, int width);
    /**
     * What @p items say the stored @p code of a column of @p width means: the text of the
     * first item that stores that code, without the code, its separator, "pour" and the
     * quotation marks ("4: pour « Entreprise filiale »" gives "Entreprise filiale"); the
     * whole item where the code only abbreviates it ("Emprunt" for "E"). Empty when no item
     * stores the code, or when the item is the code itself.
     */
    static QString meaning(const QStringList& items, const QString& code, int width);

    static const QStringList& ListeQualite();
    static const QStringList& ListeNatureRelationLong();
    static const QStringList& ListeNatureRelationCourt();
    static const QStringList& ListeMethode();
    static const QStringList& ListeChangementMethode();
    static const QStringList& ListeTypeMontant();
    /// Tooltip of the amount-type field: items 1 to 6 only.
    static const QStringList& ListeTypeMontantInfobulle();
    /// Items of the nature-of-operation field for amount type @p type ("1" to "6");
    /// empty for any other type (the field then keeps its items).
    static QStringList ListesNatureOperation(const QString& type);
    /// The items the nature-of-operation field offers until the amount-type field is left.
    static const QStringList& ListesNatureOperationInitiale();
    /// True when @p code is one of the codes of the nature list of amount @p type.
    static bool natureValide(const QString& type, const QString& code);
    static const QStringList& ListeTypePretEmprunt();
    static const QStringList& ListeOuiNon();
    static const QStringList& ListeContrepartie();
    static const QStringList& ListeCle();
    static const QStringList& ListeCodeTVA();
    static const QStringList& ListeCategorie();
    static const QStringList& ListeCodeActe();
    static const QString& ListeCodeActeInfobulle();
    static const QStringList& ListeTypeDeclaration();
    static const QStringList& ListeNatureDateFin();
    static const QStringList& ListeON();
    static const QStringList& ListeNatureActif();
};
