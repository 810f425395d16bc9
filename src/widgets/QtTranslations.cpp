#include "widgets/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool QtTranslations::installFrench(QCoreApplication& app) {
    // One catalogue for the whole run, owned by the application.
    static const char* const kName = "QtFrancais";
    if (app.findChild<QTranslator*>(QString::fromLatin1(kName), Qt::FindDirectChildrenOnly)) {
        return true;
    }
    auto* translator = new QTranslator(&app);
    translator->setObjectName(QString::fromLatin1(kName));
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}
