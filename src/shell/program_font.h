#pragma once

#include <QFont>

namespace lilan {

// 宋体 at the given pixel height, falling back to the CJK fonts a Linux
// desktop has when SimSun is not installed.
QFont ProgramFont(int pixelSize = 15);

} // namespace lilan
