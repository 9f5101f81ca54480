// The help engine and the manual shipped next to the program.
#include "gui/app/Ajuda.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

namespace {
QWidget *Janela_Ajuda()
{
    QWidget *achada = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("ZELTA Net - Ajuda"))
            achada = w;
    return achada;
}

QString Texto(QWidget *janela)
{
    auto *b = janela->findChild<QTextBrowser *>();
    return b ? b->toPlainText() : QString();
}

QString Manual()
{
    return QDir(qEnvironmentVariable("ZELTA_BUILD_DIR")).filePath(QStringLiteral("Ajuda.hlp"));
}
} // namespace

class TstAjuda : public QObject {
    Q_OBJECT
private slots:
    void falhas_devolvem_falso();
    void abre_uma_janela_so_e_fecha();
    void manual_explica_cada_mensagem();
};

void TstAjuda::falhas_devolvem_falso()
{
    QTemporaryDir dir;
    QVERIFY(!WinHelpA(nullptr, dir.filePath(QStringLiteral("Ajuda.hlp")), HELP_FINDER, "0"));
    QVERIFY(!WinHelpA(nullptr, dir.path(), HELP_FINDER, "0")); // a folder is not a manual
    QVERIFY(!WinHelpA(nullptr, Manual(), 0x9999, "0"));
    QFile grande(dir.filePath(QStringLiteral("grande.hlp")));
    QVERIFY(grande.open(QIODevice::WriteOnly));
    QVERIFY(grande.resize(5 * 1024 * 1024)); // sparse, larger than any manual
    grande.close();
    QVERIFY(!WinHelpA(nullptr, grande.fileName(), HELP_FINDER, "0"));
    QVERIFY(!Janela_Ajuda());
}

void TstAjuda::abre_uma_janela_so_e_fecha()
{
    QWidget dono;
    QVERIFY(WinHelpA(&dono, Manual(), HELP_FINDER, "0"));
    QWidget *j = Janela_Ajuda();
    QVERIFY(j);
    QVERIFY(Texto(j).contains(QStringLiteral("Manual do Usuário")));
    // A screen reader meets a window, not a filler.
    QAccessibleInterface *acessivel = QAccessible::queryAccessibleInterface(j);
    QVERIFY(acessivel);
    QCOMPARE(acessivel->role(), QAccessible::Window);
    QCOMPARE(acessivel->text(QAccessible::Name), QStringLiteral("ZELTA Net - Ajuda"));
    QVERIFY(WinHelpA(&dono, Manual(), HELP_CONTENTS, nullptr));
    QCOMPARE(Janela_Ajuda(), j);
    QVERIFY(WinHelpA(&dono, QString(), HELP_QUIT, nullptr));
    QTRY_VERIFY(!Janela_Ajuda());

    // Escape closes it, wherever the focus is inside; so does its button.
    QVERIFY(WinHelpA(&dono, Manual(), HELP_FINDER, "0"));
    QVERIFY(Janela_Ajuda());
    QTest::keyClick(Janela_Ajuda()->findChild<QTextBrowser *>(), Qt::Key_Escape);
    QTRY_VERIFY(!Janela_Ajuda());
    QVERIFY(WinHelpA(&dono, Manual(), HELP_FINDER, "0"));
    QVERIFY(Janela_Ajuda());
    QPushButton *fechar = Janela_Ajuda()->findChild<QPushButton *>();
    QVERIFY(fechar);
    QCOMPARE(fechar->text(), QStringLiteral("&Fechar"));
    fechar->click();
    QTRY_VERIFY(!Janela_Ajuda());
}

void TstAjuda::manual_explica_cada_mensagem()
{
    QFile f(Manual());
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(Manual()));
    const QString texto = QString::fromUtf8(f.readAll());
    QStringList faltam;
    for (int n : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})
        if (!texto.contains(QStringLiteral("id=\"m%1\"><b>%1 - ").arg(n, 2, 10, QLatin1Char('0'))))
            faltam << QString::number(n);
    QVERIFY2(faltam.isEmpty(), qPrintable(faltam.join(u',')));
    QVERIFY(texto.contains(QStringLiteral("13 - A máquina servidora não foi encontrada.Informe-se")));
}

QTEST_MAIN(TstAjuda)
#include "tst_ajuda.moc"
