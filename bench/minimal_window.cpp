// The smallest Qt Widgets window, what bench_startup measures the program against; with --text,
// the smallest that shows a line of text (and so loads the fonts, as any window with words does).
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    std::unique_ptr<QWidget> window =
        text ? std::make_unique<QLabel>("Quorlin Tessary") : std::make_unique<QWidget>();
    window->setWindowTitle("Minimal");
    window->resize(375, 454);
    window->show();
    return QApplication::exec();
}
