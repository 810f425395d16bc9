#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

MessageBoxes::Hook& MessageBoxes::hook() {
    static Hook current;
    return current;
}

MessageBoxes::HookReponse& MessageBoxes::hookReponse() {
    static HookReponse current;
    return current;
}

void MessageBoxes::setHookReponse(HookReponse newHook) {
    hookReponse() = std::move(newHook);
}

void MessageBoxes::setHook(Hook newHook) {
    hook() = std::move(newHook);
}

bool MessageBoxes::hasHook() {
    return static_cast<bool>(hook());
}

QString MessageBoxes::applicationTitle() {
    return QStringLiteral("Ardoz Prix de Transfert");
}

void MessageBoxes::showError(QWidget* parent, const QString& text) {
    if (hook()) {
        hook()(Kind::Error, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool MessageBoxes::confirm(QWidget* parent, const QString& text) {
    if (hook()) {
        return hook()(Kind::Confirmation, text);
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    // Qt's own button texts are English unless a translation is loaded: name them here.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxes::information(QWidget* parent, const QString& text) {
    if (hook()) {
        hook()(Kind::Information, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool MessageBoxes::informationAction(QWidget* parent, const QString& text, const QString& action) {
    if (hook()) {
        hook()(Kind::Information, text);
        return false;
    }
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    QPushButton* chosen = box.addButton(action, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == chosen;
}

MessageBoxes::Reponse MessageBoxes::question(QWidget* parent, const QString& text) {
    if (hook()) {
        const bool oui = hook()(Kind::Question, text);
        if (hookReponse()) {
            return hookReponse()(text);
        }
        return oui ? Reponse::Oui : Reponse::Non;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Annuler"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Reponse::Oui;
        case QMessageBox::No:
            return Reponse::Non;
        default:
            return Reponse::Annuler;
    }
}
