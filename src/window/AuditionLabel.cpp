#include "AuditionLabel.h"

#include <QMouseEvent>

namespace tessary {

AuditionLabel::AuditionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void AuditionLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void AuditionLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}

} // namespace tessary
