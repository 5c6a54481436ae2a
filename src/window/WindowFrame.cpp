#include "WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace tessary {

void WindowFrame::closeButtonOnly(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* c = x11->connection();
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr);
    if (!atom)
        return;
    // flags (functions and decorations given), functions (move, close), decorations (border,
    // title, window menu), input mode, status.
    constexpr std::uint32_t kFunctions = 1, kDecorations = 2;
    constexpr std::uint32_t kMove = 4, kClose = 32;
    constexpr std::uint32_t kBorder = 2, kTitle = 8, kMenu = 16;
    const std::array<std::uint32_t, 5> hints = {kFunctions | kDecorations, kMove | kClose,
                                                kBorder | kTitle | kMenu, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        atom->atom, atom->atom, 32, hints.size(), hints.data());
    xcb_flush(c);
    std::free(atom);
}

} // namespace tessary
