// The yardstick of the start-up benchmark: the least a Qt Widgets program does to show a window.
// With "--menu" the window also gets a one-item menu bar, which makes Qt load the fonts before the
// window appears, as any program with menus must.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow janela;
    janela.setWindowTitle(QStringLiteral("Minimo"));
    if (QApplication::arguments().contains(QStringLiteral("--menu")))
        janela.menuBar()->addMenu(QStringLiteral("&Arquivo"))->addAction(QStringLiteral("&Sair"));
    janela.resize(553, 340);
    janela.show();
    return app.exec();
}
