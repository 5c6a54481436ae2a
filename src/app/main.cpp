#include "sound/SoundModule.h"
#include "sound/SoundOutput.h"
#include "speech/SampleSet.h"
#include "window/MainWindow.h"
#include "window/QuitOnSignal.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // A Wayland client cannot place its window; with XWayland there, run on X11 so that the
    // window opens centred, unless the user chose a platform.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("WAYLAND_DISPLAY") != nullptr &&
        std::getenv("DISPLAY") != nullptr)
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName("quorlin-tessary");
    QGuiApplication::setDesktopFileName("org.quorlin.Tessary"); // ties the window to its menu entry
    tessary::QuitOnSignal quitOnSignal;

    // The output is found while the window opens; one line says so where it is not the server.
    auto sound = std::make_unique<tessary::SoundOutput>(
        &tessary::SoundModule::findOutput, [](tessary::SoundOutput::Kind, const std::string& line) {
            std::fprintf(stderr, "quorlin-tessary: %s\n", line.c_str());
        });
    tessary::MainWindow window(tessary::SampleSet::forThisProcess(), std::move(sound));
    window.show();
    window.activateWindow(); // also without a window manager to do it
    return QApplication::exec();
}
