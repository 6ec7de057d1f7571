#pragma once

#include <QLabel>

namespace lilan {

// A caption under a picture button that acts on a left mouse press, as
// hyperlinks of the top band do.
class LinkLabel final : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(const QString& caption, QWidget* parent = nullptr);

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace lilan
