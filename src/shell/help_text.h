#pragma once

#include <string>

#include "core/app_state.h"

namespace lilan {

// The 27 lines behind "疑点说明", "\r\n" after each (code page 936). The
// tutorial address comes from the deployment values.
std::string HelpText(const Deployment& deployment);

} // namespace lilan
