#pragma once

class QCoreApplication;

/**
 * Qt's own texts in French: the standard dialogs (the folder chooser's columns, places and
 * messages), the standard buttons, the context menus of the entry fields, the calendar.
 * The users work in French whatever the regional settings of the machine, so the French
 * catalogue is loaded, not the one of the locale.
 */
class QtTranslations {
public:
    /**
     * Loads Qt's French catalogue (Debian's qt6-translations-l10n, found where
     * QLibraryInfo says Qt keeps its translations) into @p app, once.
     * False when it is not installed: Qt's texts then stay in English.
     */
    static bool installFrench(QCoreApplication& app);
};
