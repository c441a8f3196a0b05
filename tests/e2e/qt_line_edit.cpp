// A Qt line edit for the in-place journey: one QLineEdit in a window titled argv[1],
// holding argv[2]; every change of its text is written to argv[3].
#include <QApplication>
#include <QLineEdit>
#include <QSaveFile>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[3]);
    QLineEdit edit(QString::fromUtf8(argv[2]));
    edit.setWindowTitle(QString::fromUtf8(argv[1]));
    edit.resize(400, 40);
    const auto save = [out](const QString& text) {
        QSaveFile file(out);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text.toUtf8());
            file.commit();
        }
    };
    QObject::connect(&edit, &QLineEdit::textChanged, save);
    save(edit.text());
    edit.show();
    return app.exec();
}
