#pragma once

#include <QLabel>

namespace tessary {

// A label that reports a click: a press and a release over it with the left button.
class AuditionLabel : public QLabel
{
    Q_OBJECT

public:
    explicit AuditionLabel(const QString& text, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace tessary
