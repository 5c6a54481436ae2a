#pragma once

class QWidget;

namespace tessary {

// What the window manager draws around a window. Qt 6 on X11 asks for no particular buttons,
// so a window manager gives a fixed-size window a maximise button that does nothing; the
// window asks, through the Motif hints every X11 window manager reads, for a close button
// only, as the original window has. Elsewhere (Wayland, offscreen) nothing is done.
class WindowFrame
{
public:
    static void closeButtonOnly(QWidget* window);
};

} // namespace tessary
