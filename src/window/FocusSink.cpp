#include "FocusSink.h"

#include <QKeyEvent>

namespace tessary {

FocusSink::FocusSink(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
}

void FocusSink::keyPressEvent(QKeyEvent* event)
{
    // Accepted, so that no key reaches the window either; Tab never gets here (QWidget::event).
    event->accept();
}

void FocusSink::inputMethodEvent(QInputMethodEvent* event)
{
    event->accept();
}

} // namespace tessary
