#include <QApplication>
#include <QIcon>

#include "core/app_state.h"
#include "settings/settings_path.h"
#include "settings/settings_store.h"
#include "shell/main_window.h"
#include "shell/qt_event_pump.h"

// Start-up and shutdown of the desktop program. The command line is not read.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lilan-rank"));
    QGuiApplication::setDesktopFileName(QStringLiteral("lilan-rank"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lilan/app.svg")));
    // The window says when the program ends: hiding it to the tray does not.
    QApplication::setQuitOnLastWindowClosed(false);

    lilan::AppState state; // the settings store (not yet open), then the web client
    lilan::QtEventPump pump;
    state.settings->OpenFile(
        lilan::SettingsPath(QCoreApplication::applicationDirPath().toStdString(), state.productName));
    lilan::LoadDeployment(*state.settings, state.deployment);
    {
        lilan::MainWindowSetup setup;
        setup.productName = state.productName;
        setup.deployment = state.deployment;
        setup.settings = state.settings.get();
        setup.runQuery = [&state](lilan::QueryWindow& window) { lilan::RunQuery(state, window); };
        lilan::MainWindow window(std::move(setup));
        QObject::connect(&window, &lilan::MainWindow::programEnds, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        window.show();
        QApplication::exec();
    }
    return 0; // the shared state goes in its own order, then the application
}
