#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <string_view>

class QSystemTrayIcon;
class QWidget;

namespace lilan {

enum class TrayClick { Left, Right };

// The tip text: at most 127 bytes of code page 936, never ending inside a
// double-byte character.
std::string TrayTip(std::string_view productName);

// The program's icon in the system tray, showing the window's icon and the
// tip, reporting left and right clicks. Where the desktop has no tray the
// object exists without an icon and the program works without it.
class TrayIcon final : public QObject {
    Q_OBJECT

public:
    TrayIcon(QWidget& window, std::string_view tip, std::function<void(TrayClick)> onClick);
    ~TrayIcon() override;

    bool IsShown() const;
    QString ToolTip() const { return toolTip_; }
    void Remove(); // takes the icon out of the tray

private:
    QString toolTip_;
    QPointer<QSystemTrayIcon> icon_;
    std::function<void(TrayClick)> onClick_;
};

// Shows a window, restores it centred on its screen when it was minimised,
// raises it and gives it the focus.
void BringToFront(QWidget& window);

} // namespace lilan
