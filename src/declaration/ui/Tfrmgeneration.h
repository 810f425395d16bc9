#pragma once

#include "declaration/ui/Tfrmproblemes.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class Dataset;
class DeclarationWriter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDataprix;

/**
 * The generation dialog "Génération  du Fichier Xml": names the active company the file
 * will be written for (name, full identifier, year and the file's name), shows the year,
 * the filing act and the filing nature of that company, lets the user choose the output folder and,
 * on "Valider", writes the declaration file there (GenXml) and closes.
 *
 * The main window creates one each time and shows it modally. The labels only inform:
 * the file takes its values from the company row at the moment of generation.
 *
 * "Contrôler" checks the declaration against the administration's schema without writing
 * anything; every generation is checked too and, when the administration would refuse
 * the file, a second box after the success message offers the list of the problems. The
 * list is a window of its own (Tfrmproblemes) that outlives the dialog: it is handed to
 * the dialog's parent when the dialog closes, and a problem opened from it closes the
 * dialog so that the entry window can be used.
 *
 * "Récapitulatif PDF" (on by default, remembered in the user's settings) also writes the
 * PDF review of the file beside it (DeclarationSummary); the success message then offers
 * "Ouvrir le récapitulatif", which opens it with the desktop's viewer. A review that cannot
 * be written is reported after the success of the file, which is kept.
 */
class Tfrmgeneration : public QDialog {
    Q_OBJECT

public:
    /// @p module is the data module to read; the global Dataprix when null.
    explicit Tfrmgeneration(QWidget* parent = nullptr, TDataprix* module = nullptr);
    ~Tfrmgeneration() override;

    /// Sets the folder field to the working folder and fills the three labels; run on opening.
    void FormCreate();
    /// "Valider": writes the file, then closes the dialog whether it succeeded or not.
    void BtnOkClick();
    /// "Fermer": closes without writing anything.
    void BtnFermerClick();
    /// The browse button: lets the user choose (or create) the folder.
    void BtnParcourirClick();
    /// Writes the declaration of the active company into the folder of the field and
    /// reports success, or shows the reason of the failure in the standard error box;
    /// then, when the check found problems, offers their list.
    void GenXml();
    /// "Contrôler": checks the declaration without writing it and shows the problems.
    void BtnControlerClick();

    QLabel* LabelSociete() const { return m_labelSociete; }
    QLabel* LabelExercice() const { return m_labelExercice; }
    QLabel* LabelActe() const { return m_labelActe; }
    QLabel* LabelNature() const { return m_labelNature; }
    QLabel* LabelRepertoire() const { return m_labelRepertoire; }
    QLineEdit* EditRepertoire() const { return m_editRepertoire; }
    QToolButton* BtnParcourir() const { return m_btnParcourir; }
    QPushButton* BtnControler() const { return m_btnControler; }
    QPushButton* BtnOk() const { return m_btnOk; }
    /// The problem list opened from this dialog, if it is still open.
    Tfrmproblemes* ListeProblemes() const { return m_liste; }
    QPushButton* BtnFermer() const { return m_btnFermer; }
    QCheckBox* ChkRecapitulatif() const { return m_chkRecapitulatif; }

    /// The company label for the current row of @p societe: "Société : " and the name without
    /// surrounding blanks, three blanks, the full identifier, "  Exercice: " and the year, then
    /// on a second line "Fichier : " and the file's name; kAucuneSociete without a current row.
    static QString texteSociete(const Dataset& societe);
    /// The filing-act label for a CODEACTE value, compared as text.
    static QString texteActe(const QString& codeActe);
    /// The filing-nature label for a TYPEDECLARATION value.
    static QString texteNature(const QString& typeDeclaration);

    static const QString kCaption;
    static const QString kSucces;
    static const QString kRecapitulatif;
    static const QString kOuvrirRecapitulatif;
    /// The settings key of the check box "Récapitulatif PDF".
    static const QString kCleRecapitulatif;
    /// The error box of a review that could not be written for @p raison.
    static QString texteEchecRecapitulatif(const QString& raison);
    /// Opens the review at @p path with the desktop's viewer, or says why it cannot.
    void OuvrirRecapitulatif(const QString& path);
    static const QString kAucuneSociete;
    /// The information box of a check without any problem.
    static QString texteAucunProbleme();
    /// The question after a generation whose check found @p count problems.
    static QString texteProblemes(qsizetype count);

signals:
    /// A problem list was opened: connect its emplacementDemande() to open entry windows.
    void listeProblemesOuverte(Tfrmproblemes* liste);

protected:
    /// Enter and Escape do nothing special in this dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AfficherProblemes();
    void confierListe();

    TDataprix& m_module;
    std::unique_ptr<DeclarationWriter> m_writer;
    QLabel* m_labelSociete;
    QLabel* m_labelExercice;
    QLabel* m_labelActe;
    QLabel* m_labelNature;
    QLabel* m_labelRepertoire;
    QLineEdit* m_editRepertoire;
    QToolButton* m_btnParcourir;
    QPushButton* m_btnControler;
    QPushButton* m_btnOk;
    QPushButton* m_btnFermer;
    QCheckBox* m_chkRecapitulatif;
    QPointer<Tfrmproblemes> m_liste;
};
