#pragma once

class QWidget;

namespace tessary {

// Where a window of the program opens: beside the main window, never over its slots. To its
// right where the screen has room, else to its left, else on the side with more room, narrowed
// to fit as far as the window allows.
class Placement
{
public:
    static void beside(QWidget* window, const QWidget* main);
};

} // namespace tessary
