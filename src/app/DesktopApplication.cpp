#include "app/DesktopApplication.h"

#include "app/TfRMMAIN.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

DesktopApplication::DesktopApplication() = default;

DesktopApplication::~DesktopApplication() {
    finish();
}

void DesktopApplication::start(const QString& configPath) {
    m_main = std::make_unique<TfRMMAIN>();
    m_main->showMaximized();
    m_module = std::make_unique<TDataprix>();
    try {
        m_module->DataModuleCreate(configPath);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(m_main.get(), e.text());
    }
    m_main->ouvrirListeSocietes();
}

void DesktopApplication::finish() {
    m_main.reset();
    m_module.reset();
}

int DesktopApplication::run(QApplication& app) {
    // Qt's own texts (context menus, calendar, standard buttons) in French when the
    // translations are installed.
    QTranslator qtFrancais;
    if (qtFrancais.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&qtFrancais);
    }
    app.setApplicationDisplayName(MessageBoxes::applicationTitle());
    DesktopApplication desktop;
    desktop.start();
    const int code = app.exec();
    desktop.finish();
    return code;
}
