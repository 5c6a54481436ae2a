#pragma once

#include <QWidget>

namespace tessary {

// Picture1: takes the keyboard focus away from every control after a command. It lies under the
// SPEAK button, draws nothing of its own and ignores typing; only Tab moves the focus on.
class FocusSink : public QWidget
{
    Q_OBJECT

public:
    explicit FocusSink(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

} // namespace tessary
