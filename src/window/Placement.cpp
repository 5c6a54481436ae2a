#include "Placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tessary {

void Placement::beside(QWidget* window, const QWidget* main)
{
    if (!main || !main->screen())
        return;
    constexpr int kGap = 8;
    const QRect home = main->frameGeometry();
    const QRect screen = main->screen()->availableGeometry();
    const int rightRoom = screen.right() - home.right() - kGap;
    const int leftRoom = home.left() - kGap - screen.left();
    int width = window->width();
    if (rightRoom < width && leftRoom < width)
        width = std::max(window->minimumWidth(), std::max(rightRoom, leftRoom));
    window->resize(width, window->height());
    const bool right = rightRoom >= width || (leftRoom < width && rightRoom >= leftRoom);
    const int left = right ? home.right() + kGap : home.left() - kGap - width;
    window->move(std::clamp(left, screen.left(), std::max(screen.left(), screen.right() - width)),
                 std::max(screen.top(), home.top()));
}

} // namespace tessary
