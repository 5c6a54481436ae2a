#pragma once

#include <QApplication>
#include <QWidget>

namespace tessary::testing {

// The control of the window with this object name; a missing one ends the test run.
template <typename T = QWidget> T* control(const QWidget* window, const QString& name)
{
    T* w = window->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// The object name of the widget holding the keyboard focus.
inline QString focusedName()
{
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QString("<none>");
}

} // namespace tessary::testing
