// The program's main block.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <clocale>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Numbers held as text always use '.', whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");

    QMainWindow main;
    main.setWindowTitle(QStringLiteral("Tolvex2000"));
    main.setCentralWidget(new QMdiArea(&main));
    main.showMaximized();
    return app.exec();
}
