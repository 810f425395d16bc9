#pragma once

#include <QMdiSubWindow>

/**
 * The frame of a child window inside the main window. It opens maximised and is destroyed
 * with the window it holds: when that window closes itself (its own "Fermer") as well as
 * when the frame's close box is used. A maximised frame that closes leaves the window that
 * comes forward maximised too, as it was when it opened.
 */
class FenetreFille : public QMdiSubWindow {
    Q_OBJECT

public:
    /// Holds @p form, which is destroyed when it closes.
    explicit FenetreFille(QWidget* form, QWidget* parent = nullptr);
    ~FenetreFille() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void formulaireDetruit();
    void cederLaPlace();
};
