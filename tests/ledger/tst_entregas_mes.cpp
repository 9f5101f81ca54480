// The month window over a prepared folder: a history with old and current deliveries, a ledger
// with an uncertain and a refused attempt, validated and unvalidated declaration files. Its
// states, filters and search, the CSV read back, the PDF, the main window's notice, and an
// uncertain delivery settled from the window against the local reception server.
#include "tests/transmit/Proxies_Locais.h"
#include "tests/transmit/Relogio_Rapido.h"
#include "tests/transmit/Servidor_Local.h"

#include "engine/history/Historico.h"
#include "engine/intake/Verificacao.h"
#include "engine/ledger/Razao_Entregas.h"
#include "engine/platform/Ao_Sair.h"
#include "engine/receipt/Registro_Recibo.h"
#include "engine/transmit/Registro_Comunicacao.h"
#include "engine/transmit/Registro_Tentativa.h"
#include "gui/app/Aviso_Incertas.h"
#include "gui/intake/Conexao_Usuario.h"
#include "gui/ledger/Tabela_Mes.h"
#include "gui/ledger/frmEntregas.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/RoteiroMensagens.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
// A validated declaration of this employer and month; what the checks read from it.
Dados_Declaracao Declaracao(const std::string &arquivo, const std::string &id, const std::string &empresa,
                            const std::string &competencia, bool validar = true)
{
    Opcoes_Geracao o = Declaracao_Padrao(arquivo);
    o.identificador = id;
    o.razao_social = empresa;
    o.competencia = competencia;
    o.validar = validar;
    Gerar_Arquivo(o);
    Dados_Declaracao d;
    Verificar_Declaracao(arquivo, d);
    return d;
}

void Recebida(const std::string &arquivo, const Dados_Declaracao &d, const std::string &codigo)
{
    Gravar_Historico(Montar_Recibo({"0" + codigo + "05042024101500", arquivo, d}));
}

long long Tentativa(const std::string &arquivo, const Dados_Declaracao &d, Resultado_Razao r,
                    int mensagem = 0)
{
    Razao_Entregas livro(Caminho_Razao(Historico_Transmissoes));
    Tentativa_Razao t;
    t.arquivo = arquivo;
    t.caminho =
        QFile::encodeName(QDir::current().absoluteFilePath(QString::fromStdString(arquivo))).toStdString();
    t.sha256 = Sha256_Arquivo(arquivo);
    t.declaracao = d;
    const long long id = livro.Registrar_Tentativa(t);
    livro.Marcar_Ultimo_Bloco(id);
    Tentativa_Razao fim;
    fim.resultado = r;
    fim.mensagem = mensagem;
    livro.Registrar_Resultado(id, fim);
    return id;
}

QStringList Empresas(const frmEntregas &j)
{
    QStringList e;
    for (int r = 0; r < j.grdEntregas->rowCount(); ++r)
        e << j.grdEntregas->item(r, 1)->text() + " | " + j.grdEntregas->item(r, 2)->text();
    return e;
}
} // namespace

class TstEntregasMes : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    QString anterior_;

private slots:
    void init()
    {
        QVERIFY(pasta_.isValid());
        QDir(pasta_.path()).removeRecursively();
        QDir().mkpath(pasta_.path());
        anterior_ = QDir::currentPath();
        QDir::setCurrent(pasta_.path());

        // A: delivered in March (history), its file still in the folder.
        Recebida("A.MOV", Declaracao("A.MOV", "11111111000111", "ALFA LTDA", "032024"), "00000012");
        // B: delivered in February only: missing in March.
        Recebida("B.MOV", Declaracao("B.MOV", "22222222000122", "BETA SA", "022024"), "00000011");
        QFile::remove("B.MOV");
        // C: sent in March, never answered (a Windows-1252 name).
        Tentativa("C.MOV", Declaracao("C.MOV", "33333333000133", "C\xC9SIO & CIA", "032024"),
                  Resultado_Razao::Incerta);
        // D: refused in March (message 18); the name holds the CSV separator.
        Tentativa("D.MOV", Declaracao("D.MOV", "44444444000144", "DELTA; FILIAL", "032024"),
                  Resultado_Razao::Recusada, 18);
        QFile::remove("D.MOV");
        // F: a validated March file waiting; G: an unvalidated one (not counted); H: April only.
        Declaracao("F.MOV", "66666666000166", "FOCO ME", "032024");
        Declaracao("G.MOV", "77777777000177", "GAMA EPP", "032024", false);
        Recebida("H.MOV", Declaracao("H.MOV", "88888888000188", "HOTEL ME", "042024"), "00000013");
    }
    void cleanup() { QDir::setCurrent(anterior_); }

    void estados_filtros_e_busca()
    {
        frmEntregas j;
        j.Definir_Competencia(3, 2024);
        QCOMPARE(Empresas(j), (QStringList{"CÉSIO & CIA | incerta", "DELTA; FILIAL | recusada (mensagem 18)",
                                           "FOCO ME | pendente", "BETA SA | em falta",
                                           "ALFA LTDA | entregue (código 00000012, 05/04/2024)"}));
        QCOMPARE(j.grdEntregas->item(0, 0)->text(), QString("33.333.333/0001-33"));
        QVERIFY(j.lblSituacao->text().startsWith("5 empregador(es): 1 entregue(s), 1 incerta(s)"));

        j.cmbSituacao->setCurrentText("pendente");
        QCOMPARE(Empresas(j), QStringList{"FOCO ME | pendente"});
        j.cmbSituacao->setCurrentIndex(0);
        j.txtProcurar->setText("cesio"); // accents and case do not matter
        QCOMPARE(Empresas(j), QStringList{"CÉSIO & CIA | incerta"});
        j.txtProcurar->setText("44.444.444");
        QCOMPARE(Empresas(j), QStringList{"DELTA; FILIAL | recusada (mensagem 18)"});
        j.txtProcurar->clear();

        // April: H delivered; A and B, delivered before, have nothing for April; C, D and F were
        // never delivered, so nothing is expected of them.
        j.Definir_Competencia(4, 2024);
        QCOMPARE(Empresas(j), (QStringList{"ALFA LTDA | em falta", "BETA SA | em falta",
                                           "HOTEL ME | entregue (código 00000013, 05/04/2024)"}));
        // January: nobody was known yet.
        j.Definir_Competencia(1, 2024);
        QCOMPARE(j.grdEntregas->rowCount(), 0);
    }

    // Opening the window and choosing a month read on a worker thread: "Lendo..." and an empty
    // table at once, the month when the reading ends; a month chosen while another is read wins,
    // and closing the window during a reading ends it.
    void mes_lido_fora_da_linha_da_janela()
    {
        auto j = std::make_unique<frmEntregas>(); // on March, the uncertain delivery's month
        QSignalSpy lido(j.get(), &frmEntregas::Leitura_Concluida);
        QCOMPARE(j->lblSituacao->text(), QString("Lendo..."));
        QCOMPARE(j->grdEntregas->rowCount(), 0);
        QVERIFY(lido.wait(10000));
        QCOMPARE(j->Competencia(), QString("03/2024"));
        QCOMPARE(Empresas(*j).size(), 5);
        QVERIFY(j->lblSituacao->text().startsWith("5 empregador(es)"));

        j->cmbMes->setCurrentIndex(3);
        emit j->cmbMes->activated(3);
        QCOMPARE(j->lblSituacao->text(), QString("Lendo..."));
        QCOMPARE(j->grdEntregas->rowCount(), 0);
        j->cmbMes->setCurrentIndex(0);
        emit j->cmbMes->activated(0);
        QVERIFY(lido.wait(10000));
        QTest::qWait(100); // room for a late April table, which must not come
        QCOMPARE(lido.count(), 2);
        QCOMPARE(j->Competencia(), QString("01/2024"));
        QVERIFY2(j->lblSituacao->text().startsWith("0 empregador(es)"), qPrintable(j->lblSituacao->text()));

        j->spnAno->setValue(2024);
        j->cmbMes->setCurrentIndex(3);
        emit j->cmbMes->activated(3);
        QVERIFY(j->Lendo());
        j.reset();
        QTest::qWait(100); // the dropped reading's delivery finds no window
    }

    // The CSV as a spreadsheet would read it: BOM, ";" between fields, quotes around a field
    // that holds one.
    void csv_lido_de_volta_e_pdf()
    {
        frmEntregas j;
        j.Definir_Competencia(3, 2024);
        QVERIFY(j.Exportar_Csv("mes.csv"));
        QFile f("mes.csv");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList linhas = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(linhas.size(), 6);
        QCOMPARE(linhas[0], QString("Competência;Identificador;Empresa;Situação;Código;Data"));
        QCOMPARE(linhas[1], QString("03/2024;33.333.333/0001-33;CÉSIO & CIA;incerta;;"));
        QCOMPARE(linhas[2], QString("03/2024;44.444.444/0001-44;\"DELTA; FILIAL\";recusada;;"));
        QCOMPARE(linhas[5], QString("03/2024;11.111.111/0001-11;ALFA LTDA;entregue;00000012;05/04/2024"));

        // Only the rows shown go out.
        j.cmbSituacao->setCurrentText("em falta");
        QVERIFY(j.Exportar_Csv("falta.csv"));
        QFile g("falta.csv");
        QVERIFY(g.open(QIODevice::ReadOnly));
        QCOMPARE(g.readAll().count("\r\n"), 2);

        QVERIFY(Gravar_Tabela_Mes_Pdf("mes.pdf", j.Linhas_Mostradas(), j.Competencia()));
        QFile pdf("mes.pdf");
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
        QVERIFY(!Gravar_Tabela_Mes_Pdf("nao-existe.invalid/mes.pdf", j.Linhas_Mostradas(), j.Competencia()));
    }

    // The notice points at the uncertain delivery; a double-click on it in the window sends it
    // again, the server accepts it, and the notice goes.
    void incerta_verificada_pela_janela()
    {
        QCOMPARE(Texto_Aviso_Incertas(2), QString("2 entregas incertas — verificar"));
        QCOMPARE(Texto_Aviso_Incertas(1), QString("1 entrega incerta — verificar"));
        QWidget principal;
        Aviso_Incertas aviso(&principal);
        QCOMPARE(aviso.Quantas(), 1);
        QVERIFY(aviso.text().contains("1 entrega incerta — verificar"));

        RoteiroMensagens roteiro;
        Servidor_Local s;
        frmEntregas j;
        j.Ajustes_.servidor = "127.0.0.1";
        j.Ajustes_.porta = s.porta;
        j.Ajustes_.novo_relogio = [](Socketout &k) { return std::make_unique<Relogio_Rapido>(&k); };
        j.Definir_Competencia(3, 2024);
        QSignalSpy fim(&j, &frmEntregas::Verificacao_Concluida);
        emit j.grdEntregas->cellDoubleClicked(0, 0);
        QVERIFY(j.Verificando());
        QVERIFY(!j.cmdFechar->isEnabled());
        QVERIFY(fim.wait(60000));
        QCOMPARE(roteiro.textos().size(), 1);
        QVERIFY2(roteiro.textos()[0].startsWith("C.MOV: Aceito, código "), qPrintable(roteiro.textos()[0]));
        QVERIFY(Empresas(j).last().startsWith("CÉSIO & CIA | entregue (código "));
        QVERIFY(Entregas_Incertas(Historico_Transmissoes).empty());
        aviso.Atualizar();
        QCOMPARE(aviso.Quantas(), 0);
        QVERIFY(aviso.isHidden());
    }

    // Verificar sends where the user's connection settings say, through the proxy set there, as
    // the other windows do.
    void verificar_pela_conexao_do_usuario()
    {
        RoteiroMensagens roteiro;
        Servidor_Local s;
        Proxy_Local socks;
        Proxy_Local::Socks5(socks);
        Ajustes_Conexao c;
        c.servidor = "127.0.0.1";
        c.porta = s.porta;
        c.proxy.tipo = Proxy::Tipo::Socks5;
        c.proxy.host = "127.0.0.1";
        c.proxy.porta = socks.porta;
        Gravar_Conexao_Do_Usuario(c);
        const Ao_Sair esquecer([] { Ajustes_Do_Usuario()->clear(); });

        frmEntregas j;
        j.Ajustes_.novo_relogio = [](Socketout &k) { return std::make_unique<Relogio_Rapido>(&k); };
        QSignalSpy fim(&j, &frmEntregas::Verificacao_Concluida);
        j.Verificar();
        QVERIFY(fim.wait(60000));
        QCOMPARE(roteiro.textos().size(), 1);
        QVERIFY2(roteiro.textos()[0].startsWith("C.MOV: Aceito, código "), qPrintable(roteiro.textos()[0]));
        const QString log = Registro_Do_Usuario()->Ler();
        QVERIFY2(log.contains(QStringLiteral("(SOCKS5 127.0.0.1:%1").arg(socks.porta)), qPrintable(log));
    }
};

QTEST_MAIN(TstEntregasMes)
#include "tst_entregas_mes.moc"
