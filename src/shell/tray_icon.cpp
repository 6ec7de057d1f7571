#include "shell/tray_icon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include "core/event_pump.h"
#include "shell/qt_text.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

constexpr std::size_t kTipBytes = 127; // the tray record's 128-byte buffer, less its terminator

void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

} // namespace

std::string TrayTip(std::string_view productName) {
    std::size_t end = 0;
    while (end < productName.size()) {
        const std::size_t next = end + CharLengthAt(productName, end);
        if (next > kTipBytes)
            break;
        end = next;
    }
    return std::string(productName.substr(0, end));
}

TrayIcon::TrayIcon(QWidget& window, std::string_view tip, std::function<void(TrayClick)> onClick)
    : QObject(&window), toolTip_(ToQString(TrayTip(tip))), onClick_(std::move(onClick)) {
    // Made even while the desktop shows no tray: Qt adds it once a tray
    // appears, and again after the tray restarts.
    const QIcon picture = window.windowIcon().isNull() ? QIcon(QStringLiteral(":/lilan/app.svg")) : window.windowIcon();
    icon_ = new QSystemTrayIcon(picture, this);
    icon_->setToolTip(toolTip_);
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Moves, releases and double clicks mean nothing here.
        if (reason == QSystemTrayIcon::Trigger)
            onClick_(TrayClick::Left);
        else if (reason == QSystemTrayIcon::Context)
            onClick_(TrayClick::Right);
    });
    icon_->show();
}

TrayIcon::~TrayIcon() {
    Remove();
}

bool TrayIcon::IsShown() const {
    return icon_ && icon_->isVisible();
}

void TrayIcon::Remove() {
    if (icon_)
        icon_->hide();
}

void BringToFront(QWidget& window) {
    LetEventsRun();
    if (window.isHidden())
        window.show();
    if (window.isMinimized()) {
        window.showNormal();
        CentreOnScreen(window);
    }
    window.raise();
    window.activateWindow();
}

} // namespace lilan
