// The transmit window's chooser and its state after loading and on unload.
#include "gui/cis/CIS_000.h"
#include "gui/intake/Lista_Arquivos.h"
#include "gui/intake/Lista_Pastas.h"
#include "gui/intake/Lista_Unidades.h"
#include "engine/intake/Padrao_Arquivos.h"
#include "engine/platform/Unidades.h"
#include "gui/intake/frmInicio.h"
#include "engine/print/Impressoras.h"
#include "tests/common/RoteiroMensagens.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void Criar(const QString &caminho)
{
    QFile f(caminho);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(caminho));
}

QStringList Nomes(const Lista_Arquivos *l)
{
    QStringList n;
    for (int i = 0; i < l->ListCount(); ++i)
        n << l->List(i);
    return n;
}

// A socket that reports an open connection and counts the closes it is asked for.
struct Socket_Aberto : Socketout {
    int *fechamentos;
    explicit Socket_Aberto(int *f) : fechamentos(f) {}
    bool Conectado() const override { return true; }
    void Fechar_Conexao() override { ++*fechamentos; }
};

struct Socket_Que_Falha : Socketout {
    bool Conectado() const override { return true; }
    void Fechar_Conexao() override { throw std::runtime_error("falha ao fechar"); }
};
} // namespace

class TstEscolha : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void padroes_data();
    void padroes();
    void unidade_de_um_caminho();
    void estado_depois_de_carregar();
    void pasta_lista_ancestrais_e_subpastas();
    void padrao_refiltra_a_cada_tecla();
    void clique_e_saida_do_foco_abre_a_pasta();
    void pasta_inexistente_e_recusada();
    void unidade_ilegivel_volta_sem_mensagem();
    void unidade_volta_a_ultima_pasta_aberta();
    void descarregar_fecha_a_conexao();
    void nada_selecionado_e_menos_um();
    void so_arquivos_comuns_e_nomes_fora_da_codificacao();

private:
    QTemporaryDir dir_;
    QString anterior_;
    Fonte_Unidades fonte_anterior_;
};

void TstEscolha::initTestCase()
{
    QVERIFY(dir_.isValid());
    const QDir d(dir_.path());
    QVERIFY(d.mkpath(QStringLiteral("decl/Sub1")));
    QVERIFY(d.mkpath(QStringLiteral("decl/sub2")));
    QVERIFY(d.mkpath(QStringLiteral("decl/Sub1/fundo")));
    for (const char *n : {"ABC.MMM", "jan.mov", "notas.txt", "semext", "x.M"})
        Criar(d.filePath(QStringLiteral("decl/") + QLatin1String(n)));
    Criar(d.filePath(QStringLiteral("decl/Sub1/fev.mov")));
    QVERIFY(d.mkpath(QStringLiteral("decl/pasta.mov"))); // a folder that matches is not a file
}

void TstEscolha::init()
{
    anterior_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.filePath(QStringLiteral("decl"))));
    const QString raiz = dir_.path();
    fonte_anterior_ = Trocar_Fonte_Unidades([raiz] {
        return std::vector<QString>{QStringLiteral("/"), raiz + QStringLiteral("/sem-midia"), raiz};
    });
    Trocar_Fonte_Impressoras({[] { return std::vector<QString>{QStringLiteral("PDF"), QStringLiteral("Laser")}; },
                              [] { return QStringLiteral("Laser"); }});
}

void TstEscolha::cleanup()
{
    QDir::setCurrent(anterior_);
    Trocar_Fonte_Unidades(std::move(fonte_anterior_));
    Trocar_Fonte_Impressoras({});
}

void TstEscolha::padroes_data()
{
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("padroes");
    QTest::addColumn<bool>("casa");
    QTest::newRow("maiusculas sob *.m*") << "ABC.MMM" << "*.m*" << true;
    QTest::newRow("extensao curta") << "x.M" << "*.m*" << true;
    QTest::newRow("outra extensao") << "notas.txt" << "*.m*" << false;
    QTest::newRow("sem extensao sob *.m*") << "semext" << "*.m*" << false;
    QTest::newRow("ponto e virgula, segundo") << "notas.txt" << "*.m*;*.TXT" << true;
    QTest::newRow("ponto e virgula com espacos") << "notas.txt" << " *.zip ; notas.* " << true;
    QTest::newRow("interrogacao uma letra") << "jan.mov" << "j?n.mov" << true;
    QTest::newRow("interrogacao nao e vazio") << "jn.mov" << "j?n.mov" << false;
    QTest::newRow("*.* pega sem extensao") << "semext" << "*.*" << true;
    QTest::newRow("nome.* pega sem extensao") << "semext" << "semext.*" << true;
    QTest::newRow("estrelas seguidas") << "a.b.c" << "**.*c" << true;
    QTest::newRow("retrocesso") << "aXbXc.mov" << "a*b*c.mov" << true;
    QTest::newRow("colchetes sao letras") << "[a].mov" << "[a].mov" << true;
    QTest::newRow("colchetes nao sao classe") << "a.mov" << "[a].mov" << false;
    QTest::newRow("acentos sem caixa") << "AÇÃO.MOV" << "ação.*" << true;
    QTest::newRow("vazio pega tudo") << "qualquer" << "" << true;
    QTest::newRow("so separadores pega tudo") << "qualquer" << ";;" << true;
    QTest::newRow("nome exato") << "jan.mov" << "jan.mov" << true;
    QTest::newRow("nome mais longo") << "jan.move" << "jan.mov" << false;
}

void TstEscolha::padroes()
{
    QFETCH(QString, nome);
    QFETCH(QString, padroes);
    QFETCH(bool, casa);
    QCOMPARE(Casa_Padrao(nome, padroes), casa);
}

void TstEscolha::unidade_de_um_caminho()
{
    const std::vector<QString> u{QStringLiteral("/"), QStringLiteral("/mnt/usb"), QStringLiteral("/mnt/usb2")};
    QCOMPARE(Unidade_De(QStringLiteral("/home/ana"), u), QStringLiteral("/"));
    QCOMPARE(Unidade_De(QStringLiteral("/mnt/usb"), u), QStringLiteral("/mnt/usb"));
    QCOMPARE(Unidade_De(QStringLiteral("/mnt/usb2/a"), u), QStringLiteral("/mnt/usb2"));
    QCOMPARE(Unidade_De(QStringLiteral("/mnt/usbx"), u), QStringLiteral("/"));
    QCOMPARE(Unidade_De(QStringLiteral("/a"), {QStringLiteral("/mnt")}), QString());
}

void TstEscolha::estado_depois_de_carregar()
{
    frmInicio w;
    QCOMPARE(w.windowTitle(), QStringLiteral("ZELTA Net - Transmitir pela Internet"));
    QCOMPARE(w.height(), Twips_Y(4000));
    QCOMPARE(w.width(), Twips_X(3972 + 120)); // the chooser panel and a margin beside "Voltar"
    QCOMPARE(w.Picture1->geometry(), QRect(0, 0, w.width(), Twips_Y(2712)));
    QCOMPARE(w.lblCriterio->text(), QStringLiteral("Arquivos:"));
    QCOMPARE(w.txtTipoArq->text(), QStringLiteral("*.m*"));
    QCOMPARE(w.filList->Pattern(), QStringLiteral("*.m*"));
    QCOMPARE(w.dirList->Path(), dir_.filePath(QStringLiteral("decl")));
    QCOMPARE(w.filList->Path(), w.dirList->Path());
    QCOMPARE(w.drvList->Drive(), dir_.path());
    QCOMPARE(Nomes(w.filList), QStringList({QStringLiteral("ABC.MMM"), QStringLiteral("jan.mov"), QStringLiteral("x.M")}));
    QCOMPARE(w.dirList->geometry(), QRect(Twips_X(120), Twips_Y(480), Twips_X(1815), Twips_Y(1605)));

    QCOMPARE(w.cmdTransmitir->text(), QStringLiteral("&Transmitir"));
    QCOMPARE(w.cmdSair->text(), QStringLiteral("&Voltar"));
    QCOMPARE(w.cmdTransmitir->y(), Twips_Y(2800));
    QCOMPARE(w.cmdSair->y(), Twips_Y(2800));
    QCOMPARE(w.txtPercentual->text(), QStringLiteral("Conectando servidor..."));
    QCOMPARE(w.txtPercentual->pos(), QPoint(Twips_X(50), Twips_Y(3350)));
    QCOMPARE(w.Label1->text(), QStringLiteral("IP:"));
    QCOMPARE(w.Text1->y(), Twips_Y(3350));
    QCOMPARE(w.Label3->text(), QStringLiteral("Código do Recebimento:"));
    QCOMPARE(w.Label13->text(), QStringLiteral("Impressora :"));
    QCOMPARE(w.cmdImprimir->text(), QStringLiteral("&Imprimir"));
    QCOMPARE(w.Label2->text(), QStringLiteral("Transmissão finalizada com sucesso. Para impressão do recibo de entrega "
                                              "escolha a impressora e clique no botão 'Imprimir'."));

    w.show();
    for (QWidget *oculto : std::initializer_list<QWidget *>{w.Label2, w.Label3, w.cmdImprimir, w.cmb_print,
                                                             w.Label13, w.txtPercentual})
        QVERIFY2(!oculto->isVisible(), qPrintable(oculto->objectName()));
    QVERIFY(w.cmdTransmitir->isVisible() && w.cmdSair->isVisible() && w.Picture1->isVisible());
    // Printers in the system's order, then the PDF entry; the first printer chosen.
    QCOMPARE(w.cmb_print->count(), 3);
    QCOMPARE(w.cmb_print->itemText(2), QStringLiteral("Arquivo PDF..."));
    QCOMPARE(w.cmb_print->currentText(), QStringLiteral("PDF"));
    QCOMPARE(w.filList->ListIndex(), -1);
    QCOMPARE(w.drvList->accessibleName(), QStringLiteral("Unidades"));
    QCOMPARE(w.txtTipoArq->accessibleName(), QStringLiteral("Filtro de arquivos"));
    QVERIFY(w.Socketout_);
}

void TstEscolha::pasta_lista_ancestrais_e_subpastas()
{
    Lista_Pastas l;
    const QString decl = dir_.filePath(QStringLiteral("decl"));
    QVERIFY(l.setPath(decl));
    const QStringList acima = Ancestrais(decl);
    QCOMPARE(acima.first(), QStringLiteral("/"));
    QCOMPARE(acima.last(), decl);
    QStringList linhas;
    for (int i = 0; i < l.count(); ++i)
        linhas << l.List(i);
    QCOMPARE(linhas, acima + QStringList({decl + QStringLiteral("/pasta.mov"), decl + QStringLiteral("/Sub1"),
                                          decl + QStringLiteral("/sub2")}));
    QCOMPARE(l.ListIndex(), acima.size() - 1); // the open folder is highlighted
}

void TstEscolha::padrao_refiltra_a_cada_tecla()
{
    frmInicio w;
    w.show();
    w.txtTipoArq->setFocus();
    QTRY_COMPARE(w.txtTipoArq->selectedText(), QStringLiteral("*.m*")); // focus selects it all
    QTest::keyClicks(w.txtTipoArq, QStringLiteral("*.t"));
    QCOMPARE(w.filList->Pattern(), QStringLiteral("*.t"));
    QVERIFY(Nomes(w.filList).isEmpty());
    QTest::keyClicks(w.txtTipoArq, QStringLiteral("xt"));
    QCOMPARE(Nomes(w.filList), QStringList{QStringLiteral("notas.txt")});
    QTest::keyClicks(w.txtTipoArq, QStringLiteral(";*.MOV"));
    QCOMPARE(Nomes(w.filList), QStringList({QStringLiteral("jan.mov"), QStringLiteral("notas.txt")}));
}

void TstEscolha::clique_e_saida_do_foco_abre_a_pasta()
{
    frmInicio w;
    const QString decl = dir_.filePath(QStringLiteral("decl"));
    int sub1 = -1;
    for (int i = 0; i < w.dirList->count(); ++i)
        if (w.dirList->List(i) == decl + QStringLiteral("/Sub1"))
            sub1 = i;
    QVERIFY(sub1 >= 0);
    w.dirList->setCurrentRow(sub1); // highlighted only
    QCOMPARE(w.dirList->Path(), decl);

    QFocusEvent janela_trocada(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w.dirList, &janela_trocada);
    QCOMPARE(w.dirList->Path(), decl); // leaving the application is not leaving the control

    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w.dirList, &tab);
    QCOMPARE(w.dirList->Path(), decl + QStringLiteral("/Sub1"));
    QCOMPARE(w.filList->Path(), decl + QStringLiteral("/Sub1"));
    QCOMPARE(Nomes(w.filList), QStringList{QStringLiteral("fev.mov")});
    QCOMPARE(QDir::currentPath(), decl); // browsing never changes the current directory

    // Double click on an ancestor goes up.
    const int acima = static_cast<int>(Ancestrais(decl).size()) - 1;
    emit w.dirList->itemActivated(w.dirList->item(acima));
    QCOMPARE(w.dirList->Path(), decl);
    QCOMPARE(w.filList->ListCount(), 3);
}

void TstEscolha::pasta_inexistente_e_recusada()
{
    frmInicio w;
    const QString antes = w.dirList->Path();
    QSignalSpy mudou(w.dirList, &Lista_Pastas::Change);
    QVERIFY(!w.dirList->setPath(dir_.filePath(QStringLiteral("nao-existe"))));
    QVERIFY(!w.dirList->setPath(dir_.filePath(QStringLiteral("decl/jan.mov")))); // a file is not a folder
    QVERIFY(!w.dirList->setPath(QString()));
    QVERIFY(!w.filList->setPath(dir_.filePath(QStringLiteral("nao-existe"))));
    QCOMPARE(w.dirList->Path(), antes);
    QCOMPARE(w.filList->ListCount(), 3);
    QCOMPARE(mudou.count(), 0);

    // A highlighted folder that vanished before the focus left: nothing opens, nothing breaks.
    const QString some = dir_.filePath(QStringLiteral("decl/sub2"));
    int linha = -1;
    for (int i = 0; i < w.dirList->count(); ++i)
        if (w.dirList->List(i) == some)
            linha = i;
    QVERIFY(linha >= 0);
    w.dirList->setCurrentRow(linha);
    QVERIFY(QDir(some).removeRecursively());
    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w.dirList, &tab);
    QCOMPARE(w.dirList->Path(), antes);
    QVERIFY(QDir().mkpath(some));
}

void TstEscolha::unidade_ilegivel_volta_sem_mensagem()
{
    RoteiroMensagens roteiro;
    frmInicio w;
    QCOMPARE(w.drvList->count(), 3);
    const QString decl = w.dirList->Path();
    w.drvList->setCurrentIndex(1); // the drive with no medium
    QCOMPARE(w.drvList->Drive(), dir_.path());
    QCOMPARE(w.dirList->Path(), decl);
    QVERIFY(roteiro.vistas().empty());

    w.drvList->setCurrentIndex(0); // a readable drive opens at its root
    QCOMPARE(w.dirList->Path(), QStringLiteral("/"));
    QCOMPARE(w.filList->Path(), QStringLiteral("/"));
}

void TstEscolha::unidade_volta_a_ultima_pasta_aberta()
{
    frmInicio w;
    QVERIFY(w.dirList->setPath(dir_.filePath(QStringLiteral("decl/Sub1/fundo"))));
    w.drvList->setCurrentIndex(0);
    QCOMPARE(w.dirList->Path(), QStringLiteral("/"));
    w.drvList->setCurrentIndex(2);
    QCOMPARE(w.dirList->Path(), dir_.filePath(QStringLiteral("decl/Sub1/fundo")));
}

void TstEscolha::descarregar_fecha_a_conexao()
{
    int fechamentos = 0;
    {
        frmInicio w;
        w.Trocar_Socket(std::make_unique<Socket_Aberto>(&fechamentos));
        w.show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        w.cmdSair->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(fechamentos, 1);
        QVERIFY(!QApplication::overrideCursor());
    }
    frmInicio w;
    w.Trocar_Socket(std::make_unique<Socket_Aberto>(&fechamentos));
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape); // any way of closing
    QCOMPARE(fechamentos, 2);

    frmInicio falha;
    falha.Trocar_Socket(std::make_unique<Socket_Que_Falha>());
    falha.show();
    falha.close(); // a failing close still closes the window
    QVERIFY(!falha.isVisible());
}

void TstEscolha::nada_selecionado_e_menos_um()
{
    frmInicio w;
    w.show();
    w.filList->setFocus(); // the view moves its current row on focus: not a choice
    QCOMPARE(w.filList->ListIndex(), -1);
    w.filList->setListIndex(1);
    QCOMPARE(w.filList->ListIndex(), 1);
    QCOMPARE(w.filList->List(w.filList->ListIndex()), QStringLiteral("jan.mov"));
    w.txtTipoArq->setText(QStringLiteral("*.txt")); // reloading drops the choice
    QCOMPARE(w.filList->ListIndex(), -1);
    w.filList->setListIndex(7);
    QCOMPARE(w.filList->ListIndex(), -1);
}


// Only regular files are listed (links followed): a link to a pipe or a device would hang or
// never end the checks. A name that is not valid in the file system's encoding shows as
// Windows-1252 and keeps its own bytes.
void TstEscolha::so_arquivos_comuns_e_nomes_fora_da_codificacao()
{
    QTemporaryDir t;
    const QByteArray p = QFile::encodeName(t.path()) + '/';
    Criar(t.filePath(QStringLiteral("comum.mov")));
    QCOMPARE(::mkfifo((p + "pipe.mov").constData(), 0600), 0);
    QCOMPARE(::symlink((p + "pipe.mov").constData(), (p + "link-pipe.mov").constData()), 0);
    QCOMPARE(::symlink("/dev/zero", (p + "zero.mov").constData()), 0);
    QCOMPARE(::symlink((p + "comum.mov").constData(), (p + "link-comum.mov").constData()), 0);
    QCOMPARE(::symlink((p + "nada").constData(), (p + "quebrado.mov").constData()), 0);
    const QByteArray cp1252 = "A\xC7\xC3O.MOV";
    const int fd = ::open((p + cp1252).constData(), O_CREAT | O_WRONLY, 0600); // not a name a QString can carry
    QVERIFY(fd >= 0);
    ::close(fd);

    Lista_Arquivos l;
    QVERIFY(l.setPath(t.path()));
    l.setPattern(QStringLiteral("*.m*"));
    QCOMPARE(Nomes(&l), QStringList({QStringLiteral("AÇÃO.MOV"), QStringLiteral("comum.mov"),
                                     QStringLiteral("link-comum.mov")}));
    QCOMPARE(l.Bytes(0), cp1252);
    QCOMPARE(l.Bytes(1), QByteArray("comum.mov"));
    QCOMPARE(l.Bytes(7), QByteArray());
    QCOMPARE(::unlink((p + cp1252).constData()), 0); // a name QDir cannot remove
}

QTEST_MAIN(TstEscolha)
#include "tst_escolha.moc"
