// The peers of the start-up measurement: a Qt Widgets program that shows one empty
// window. With --text the window holds one line of text, to show what drawing any text
// (loading the font database) costs every program. With --widgets it is the main
// window's content done in plain Qt (a menu bar, two text boxes with both scroll bars,
// five buttons, a 32-pixel picture, the same sizes), to show what Qt itself takes to
// build and paint that content.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <utility>

namespace {

void fillWithMainWindowContent(QMainWindow& window)
{
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Options..."));
    file->addAction(QStringLiteral("E&xit"));
    QMenu* program = window.menuBar()->addMenu(QStringLiteral("&Tovrin"));
    program->addAction(QStringLiteral("C&redits"));
    program->addAction(QStringLiteral("&About..."));
    window.menuBar()->addAction(QStringLiteral("&Minimize to Tray"));

    auto* client = new QWidget(&window);
    client->setFixedSize(651, 328);
    window.setCentralWidget(client);
    for (int left : {8, 384}) {
        auto* box = new QPlainTextEdit(client);
        box->setGeometry(left, 16, 257, 267);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    for (const auto& [caption, geometry] :
         {std::pair{"UPPERCASE", QRect(280, 80, 89, 33)}, {"rAnDOm", QRect(280, 144, 89, 33)},
          {"lowercase", QRect(280, 216, 89, 33)}, {"Paste from Clipboard", QRect(64, 296, 145, 17)},
          {"Copy to Clipboard", QRect(448, 296, 145, 17)}})
        (new QPushButton(QString::fromLatin1(caption), client))->setGeometry(geometry);
    QPixmap picture(32, 32);
    picture.fill(Qt::darkCyan);
    auto* label = new QLabel(client);
    label->setGeometry(312, 24, 33, 33);
    label->setPixmap(picture);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--widgets"))) {
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("minimal"));
        fillWithMainWindowContent(window);
        window.show();
        return app.exec();
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    if (app.arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("UPPERCASE lowercase rAnDOm"), &window))->move(10, 10);
    window.show();
    return app.exec();
}
