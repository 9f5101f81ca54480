// Qt's standard dialogs in Brazilian Portuguese: buttons, the file dialog's captions, the kind of
// a folder and the dates of its list.
#include "gui/cis/CIS_000.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TstTraducao : public QObject {
    Q_OBJECT
private slots:
    void botoes_padrao();
    void dialogo_de_arquivos();
};

void TstTraducao::botoes_padrao()
{
    QMessageBox caixa(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("t"),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(caixa.button(QMessageBox::Yes)->text(), QStringLiteral("&Sim"));
    QCOMPARE(caixa.button(QMessageBox::No)->text(), QStringLiteral("&Não"));
    QCOMPARE(caixa.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancelar"));
}

void TstTraducao::dialogo_de_arquivos()
{
    QTemporaryDir pasta;
    QVERIFY(QDir(pasta.path()).mkdir(QStringLiteral("Recibos")));
    QFileDialog d(nullptr, QStringLiteral("Gravar"), pasta.path());
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.show();
    const auto *procurar = d.findChild<QLabel *>(QStringLiteral("lookInLabel"));
    QVERIFY(procurar);
    QCOMPARE(procurar->text(), QStringLiteral("Procurar em:"));
    auto *modelo = d.findChild<QFileSystemModel *>();
    QVERIFY(modelo);
    const QModelIndex raiz = modelo->index(pasta.path());
    QTRY_COMPARE(modelo->rowCount(raiz), 1);
    QCOMPARE(modelo->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Tipo"));
    const QModelIndex recibos = modelo->index(0, 0, raiz);
    QCOMPARE(recibos.data().toString(), QStringLiteral("Recibos"));
    QCOMPARE(modelo->index(0, 2, raiz).data().toString(), QStringLiteral("Pasta"));
    // Day before month, 24-hour clock: the modification time as a Brazilian clerk writes it.
    const QDateTime quando = QFileInfo(modelo->filePath(recibos)).lastModified();
    QCOMPARE(modelo->index(0, 3, raiz).data().toString(), quando.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
}

int main(int argc, char **argv)
{
    // As a clerk's session without a named locale starts the program.
    for (const char *v : {"LC_ALL", "LC_TIME", "LANG"})
        qunsetenv(v);
    qputenv("LANG", "C.UTF-8");
    Preparar_Datas_Portugues();
    QApplication app(argc, argv);
    Carregar_Traducao(app);
    TstTraducao t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_traducao.moc"
