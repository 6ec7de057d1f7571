#include "shell/link_label.h"

#include <QMouseEvent>

namespace lilan {

LinkLabel::LinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline;"));
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit pressed();
}

} // namespace lilan
