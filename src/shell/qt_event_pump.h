#pragma once

#include "core/event_pump.h"

namespace lilan {

// Lets Qt run pending window events from inside long work. Installs itself
// for its lifetime.
class QtEventPump final : public EventPump {
public:
    QtEventPump();
    ~QtEventPump() override;
    QtEventPump(const QtEventPump&) = delete;
    QtEventPump& operator=(const QtEventPump&) = delete;

    void ProcessPendingEvents() override;

    // True while a handler runs from inside such a pump, i.e. while some long
    // work lies suspended beneath it.
    static bool InsideLongWork();

private:
    EventPump* previous_;
};

} // namespace lilan
