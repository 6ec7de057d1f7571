#include <QApplication>

#include "settings/settings_path.h"
#include "settings/settings_store.h"
#include "shell/main_window.h"
#include "shell/qt_event_pump.h"
#include "shell/shell_dialogs.h"
#include "text/code_page.h"

// Start-up and shutdown of the desktop program. The command line is not read.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lilan-rank"));
    QGuiApplication::setDesktopFileName(QStringLiteral("lilan-rank"));
    // The window says when the program ends: hiding it to the tray does not.
    QApplication::setQuitOnLastWindowClosed(false);

    lilan::QtDialogs boxes;
    lilan::SettingsStore settings(&boxes);
    lilan::QtEventPump pump;
    static const std::string productName = lilan::Cp936("栎澜排名通");
    settings.OpenFile(lilan::SettingsPath(QCoreApplication::applicationDirPath().toStdString(), productName));
    {
        lilan::MainWindowSetup setup;
        setup.productName = productName;
        setup.settings = &settings;
        setup.dialogs = &boxes;
        lilan::MainWindow window(std::move(setup));
        boxes.SetParent(&window);
        QObject::connect(&window, &lilan::MainWindow::programEnds, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        window.show();
        QApplication::exec();
    }
    return 0; // the settings close their file, then the application goes
}
