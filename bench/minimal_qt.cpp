// The peer of the start-up measurement: a Qt Widgets program that shows one empty
// window. With --text the window holds one line of text, to show what drawing any text
// (loading the font database) costs every program.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    if (app.arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("UPPERCASE lowercase rAnDOm"), &window))->move(10, 10);
    window.show();
    return app.exec();
}
