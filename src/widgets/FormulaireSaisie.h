#pragma once

#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>

class Dataset;
class FieldLink;
class KeyboardNavigator;
class LibelleCode;
class QGridLayout;
class QLabel;
class QWidget;

/// The kind of control an entry field gets.
enum class GenreChamp {
    Texte,   ///< one-line text (DBEdit)
    Nombre,  ///< whole number, amount or rate (DBNumberEdit)
    Date,    ///< date with calendar (DBDateEdit)
    Liste,   ///< editable drop-down of a code list (DBComboBox)
    Memo,    ///< multi-line text (DBMemo)
};

/**
 * One entry field of a form, as the window states it.
 */
struct ChampSaisie {
    /// The label, one text per line ("Description ", "Activités Principales:").
    QStringList libelle;
    /// The column of the dataset the field is bound to.
    QString colonne;
    GenreChamp genre = GenreChamp::Texte;
    /// Items of a drop-down, in order.
    QStringList items;
    /// The tooltip (several lines joined by line breaks).
    QString infobulle;
    /// Enter moves the focus to the next control and the Up arrow to the previous one.
    bool entree = false;
    bool lectureSeule = false;
    /// A text shown after the field: a note, or the name beside a pick field.
    QString apres;
    /// Width of the control in characters; 0: from the column (narrow codes, wide texts).
    int largeur = 0;
};

/**
 * The kit that builds an entry form from its table of fields: one control per field, bound
 * to its column of @p dataset, with its label as buddy (the label's lines, joined by a blank,
 * are the control's accessible name), its tooltip, its items, the tab order of the table and
 * the keyboard navigation of the fields marked `entree`. Fields are laid out top to bottom in
 * @p colonnes columns of label, control and the text after it. A drop-down without a text
 * after it gets there what its code means in its list (signification()), following the line.
 *
 * The window keeps the rules: it hears sortie() when the focus leaves a field (after the
 * field's text is written, and also when nothing was typed) and doubleClic() on a double
 * click in a text or drop-down field, and reaches a control by its column.
 */
class FormulaireSaisie : public QObject {
    Q_OBJECT

public:
    /// Builds the form into a new widget (see widget()), owned by @p parent.
    FormulaireSaisie(QWidget* parent, Dataset* dataset, const QVector<ChampSaisie>& champs,
                     KeyboardNavigator* navigateur, int colonnes = 1);

    /// The widget that holds the form's labels and controls.
    QWidget* widget() const { return m_widget; }
    QGridLayout* grille() const { return m_grille; }
    Dataset* dataset() const { return m_dataset; }

    /// The control of @p colonne (any case), or null.
    QWidget* controle(const QString& colonne) const;
    template <class T>
    T* controle(const QString& colonne) const {
        return qobject_cast<T*>(controle(colonne));
    }
    /// The controls in tab order.
    const QVector<QWidget*>& controles() const { return m_controles; }
    QWidget* premier() const { return m_controles.value(0); }
    QWidget* dernier() const { return m_controles.isEmpty() ? nullptr : m_controles.last(); }
    /// The label of @p colonne.
    QLabel* libelle(const QString& colonne) const;
    /// The text after the field of @p colonne (null when the field has none).
    QLabel* apres(const QString& colonne) const;
    /// The link of the control of @p colonne to its column.
    FieldLink* lien(const QString& colonne) const;
    /// The label beside the drop-down of @p colonne that says what its code means (null for
    /// other fields and drop-downs with a text after them).
    QLabel* signification(const QString& colonne) const;
    /// The items that give the meaning of the code of @p colonne, instead of the field's
    /// own; an empty list falls back to the field's own. Shown again at once.
    void setListeSignification(const QString& colonne, std::function<QStringList()> liste);
    /// Shows again what the code of @p colonne means.
    void actualiserSignification(const QString& colonne);

signals:
    /// The focus left the field of @p colonne; its text, if any, is written.
    void sortie(const QString& colonne);
    /// A double click in the field of @p colonne.
    void doubleClic(const QString& colonne);

private:
    int indexOf(const QString& colonne) const;

    Dataset* m_dataset;
    QWidget* m_widget;
    QGridLayout* m_grille;
    QVector<ChampSaisie> m_champs;
    QVector<QWidget*> m_controles;
    QVector<QLabel*> m_libelles;
    QVector<QLabel*> m_apres;
    QVector<FieldLink*> m_liens;
    QVector<QLabel*> m_significations;
    QVector<LibelleCode*> m_codes;
    QVector<std::function<QStringList()>> m_listesSignification;
};
