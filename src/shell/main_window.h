#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/app_state.h"
#include "core/window.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lilan {

class ListCommands;
class ResultsModel;
class ResultsView;
class SettingsStore;
class ShellDialogs;
class TrayIcon;
class UrlOpener;
enum class TrayClick;

// What the main window needs from the rest of the program.
struct MainWindowSetup {
    std::string productName; // code page 936
    Deployment deployment;
    SettingsStore* settings = nullptr;          // the panel's options persist here
    std::function<void(QueryWindow&)> runQuery; // the start button's handler
    ShellDialogs* dialogs = nullptr;            // nullptr: real message boxes and file dialogs
    UrlOpener* urlOpener = nullptr;             // nullptr: the desktop's browser
};

// The one window: the top band of picture buttons and links, 列表框, and the
// settings panel with the commands and the options the logic reads.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    ResultsList& List();
    ResultsModel& Model() { return *model_; }
    ResultsView& View() { return *view_; }
    const QueryOptions& Options() const;
    Caption& StartButton();
    TrayIcon& Tray() { return *tray_; }

    // The tray icon's mouse commands.
    void OnTrayNotify(TrayClick click);

    // The panel from and to the settings store, section "基本配置". Saving
    // answers false when a write did not reach the disk.
    void LoadSettings();
    bool SaveSettings();

signals:
    // The window is gone (closed, or ended from the tray): the program ends.
    void programEnds();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildTopBand();
    void BuildPanel();
    void SaveSettingsCommand();
    void SaveBeforeEnding();
    void ShowHelp();
    void OnListDoubleClicked();
    void OpenAddress(std::string_view address);
    void EndProgram();
    ShellDialogs& Boxes();

    class PanelOptions;
    class StartCaption;
    class NamedCheckBox;

    MainWindowSetup setup_;
    std::unique_ptr<ShellDialogs> ownDialogs_;
    std::unique_ptr<UrlOpener> ownUrlOpener_;
    bool ending_ = false;
    bool settingsLoaded_ = false;

    QLabel* band_ = nullptr;
    ResultsModel* model_ = nullptr;
    ResultsView* view_ = nullptr;
    QFrame* panel_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QCheckBox* rankedOnly_ = nullptr;
    QCheckBox* proxy_ = nullptr;
    QLineEdit* proxyAddress_ = nullptr;
    QLineEdit* pages_ = nullptr;
    QLineEdit* interval_ = nullptr;
    QCheckBox* inclusionOnly_ = nullptr;
    QCheckBox* descriptive_ = nullptr;
    QCheckBox* unrankedOnly_ = nullptr;
    QCheckBox* newWindow_ = nullptr;
    QCheckBox* alwaysAddress_ = nullptr;

    std::unique_ptr<ResultsList> list_;
    std::unique_ptr<PanelOptions> options_;
    std::unique_ptr<StartCaption> startCaption_;
    std::unique_ptr<QueryWindow> queryWindow_;
    std::unique_ptr<ListCommands> lists_;
    std::array<std::unique_ptr<NamedCheckBox>, 6> savedBoxes_; // in the order they are stored
    TrayIcon* tray_ = nullptr;
};

} // namespace lilan
