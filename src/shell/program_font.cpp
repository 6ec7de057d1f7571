#include "shell/program_font.h"

#include <QStringList>

namespace lilan {

QFont ProgramFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral(u"宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("AR PL UMing CN")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace lilan
