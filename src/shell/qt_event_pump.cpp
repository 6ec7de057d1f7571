#include "shell/qt_event_pump.h"

#include <QCoreApplication>

namespace lilan {
namespace {

int pumpDepth = 0;

} // namespace

QtEventPump::QtEventPump() : previous_(InstallEventPump(this)) {}

QtEventPump::~QtEventPump() {
    InstallEventPump(previous_);
}

void QtEventPump::ProcessPendingEvents() {
    ++pumpDepth;
    QCoreApplication::processEvents();
    --pumpDepth;
}

bool QtEventPump::InsideLongWork() {
    return pumpDepth > 0;
}

} // namespace lilan
