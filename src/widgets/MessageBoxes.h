#pragma once

#include <QString>
#include <functional>

class QWidget;

/**
 * The message boxes of the application, each modal:
 * - the standard error box, in which every database error and every refused entry is shown;
 * - the "Confirmation" box with Yes and No, asked before a deletion;
 * - the "Confirmation" box with Oui, Non and Annuler, asked before work in progress is
 *   dropped (question());
 * - the plain information box (application title as caption, no icon, one OK button).
 *
 * Every box of the application goes through this class, so that a test can take the boxes
 * over with setHook() and read the exact text instead of being blocked by a modal box.
 */
class MessageBoxes {
public:
    enum class Kind { Error, Confirmation, Information, Question };
    /// The answers of question().
    enum class Reponse { Oui, Non, Annuler };

    /// Receives each box instead of the screen; the return value answers a confirmation.
    using Hook = std::function<bool(Kind kind, const QString& text)>;
    /// Answers question() while a hook is set; without one the hook's true answers Oui and
    /// false Non.
    using HookReponse = std::function<Reponse(const QString& text)>;

    /// The caption of the error and information boxes.
    static QString applicationTitle();

    /// Shows @p text in the standard error box (error icon, OK).
    static void showError(QWidget* parent, const QString& text);
    /// Asks @p text in a box titled "Confirmation" with Yes and No; true for Yes.
    static bool confirm(QWidget* parent, const QString& text);
    /// Shows @p text in a plain box: application title, no icon, one OK button.
    static void information(QWidget* parent, const QString& text);
    /// Shows @p text in the plain box with, beside OK, a button @p action; true when the user
    /// chose @p action. Under a hook the box is an information and @p action is not chosen.
    static bool informationAction(QWidget* parent, const QString& text, const QString& action);
    /// Asks @p text in a box titled "Confirmation" with Oui, Non and Annuler; Esc and the
    /// close box answer Annuler.
    static Reponse question(QWidget* parent, const QString& text);

    /// Routes every box to @p hook until it is replaced; an empty hook shows the boxes again.
    static void setHook(Hook hook);
    static bool hasHook();
    /// Routes the answers of question() to @p hook while a Hook is set.
    static void setHookReponse(HookReponse hook);

private:
    static Hook& hook();
    static HookReponse& hookReponse();
};
