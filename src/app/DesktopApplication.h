#pragma once

#include <QString>
#include <memory>

class QApplication;
class TDataprix;
class TfRMMAIN;

/**
 * The desktop run of the program: the main window first, then the data module (whose
 * creation reads CheminBase.ini and connects; without any CheminBase.ini the first start
 * asks for the database before anything else), then the company list in selection mode
 * inside the main window, then the event loop. A failed connection is shown once in the
 * standard error box and the run goes on unconnected. At the end the windows are destroyed,
 * then the data module, whose connection commits what the transaction holds.
 *
 * SIGINT and SIGTERM end the run as "Quitter" does (see StopSignals): rows being added or
 * edited are abandoned and the connection is closed with its commit; the exit code is 0.
 */
class DesktopApplication {
public:
    DesktopApplication();
    /// Destroys the windows, then the data module.
    ~DesktopApplication();
    DesktopApplication(const DesktopApplication&) = delete;
    DesktopApplication& operator=(const DesktopApplication&) = delete;

    /**
     * The desktop program as main starts it: without a display says so in one French line
     * and returns 1; otherwise creates the application on @p argc and @p argv (Qt reads its
     * own options there) and runs it.
     */
    static int run(int& argc, char** argv);

    /// Runs the whole desktop program on @p app, with @p configPath as start() takes it;
    /// returns the event loop's exit code.
    static int run(QApplication& app, const QString& configPath = QString());

    /// Ends the run in progress as "Quitter" does; on the user-interface thread.
    static void arreter();

    /**
     * Creates and shows the main window, creates the data module and connects it with
     * @p configPath, then opens the company list. When @p configPath is empty the first
     * CheminBase.ini of Configuration::searchPaths() is read; when there is none, the first
     * start ("Première utilisation") asks for the database and writes the user's own file.
     * Returns false, having created nothing, when the user quits the first start.
     */
    bool start(const QString& configPath = QString());
    /// Destroys the windows, then the data module. Done by the destructor when not called.
    void finish();

    TfRMMAIN* mainWindow() const { return m_main.get(); }
    TDataprix* dataModule() const { return m_module.get(); }

private:
    std::unique_ptr<TfRMMAIN> m_main;
    std::unique_ptr<TDataprix> m_module;
};
