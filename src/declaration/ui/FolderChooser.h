#pragma once

#include <QFileDialog>

class QAbstractButton;

/**
 * The folder chooser of the generation dialog: a folder dialog in which the user may
 * also create a folder, either with the dialog's own "new folder" button or by typing
 * the name of a folder that does not exist yet, which is created once confirmed, whether
 * the user then presses Enter or clicks "Choisir". A file named where a folder is expected
 * is refused with its own message.
 */
class FolderChooser : public QFileDialog {
    Q_OBJECT

public:
    /// Opens at @p folder when it names an existing folder, else at the root of the current drive.
    explicit FolderChooser(QWidget* parent, const QString& folder);

    /// Shows the chooser modally; the chosen folder in native form, or an empty text when
    /// cancelled.
    static QString choose(QWidget* parent, const QString& folder);

    /// The root folder of the drive of the working folder ("/" where there are no drives).
    static QString rootOfCurrentDrive();

    static const QString kCaption;
    static const QString kCreateQuestion;
    static const QString kCreateFailed;
    static const QString kNotAFolder;

    /// The "Choisir" button.
    QAbstractButton* choisir() const;

public slots:
    /// Asks before creating a typed folder that does not exist, then accepts it; refuses a
    /// file.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* m_choisir = nullptr;
};
