// The batch window with two validated files and one the checks refuse, delivered to the local
// reception server with a fast clock while the window keeps handling events.
#include "tests/common/Atalhos.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/RoteiroMensagens.h"
#include "tests/transmit/Relogio_Rapido.h"
#include "tests/transmit/Servidor_Local.h"

#include "engine/history/Historico.h"
#include "gui/intake/frmLote.h"
#include "engine/print/Recibo_Pdf.h"
#include "engine/transmit/Mensagens.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
void Gerar(const QString &pasta, const std::string &nome, const std::string &empresa, bool validar = true)
{
    Opcoes_Geracao o = Declaracao_Padrao(QDir(pasta).filePath(QString::fromStdString(nome)).toStdString());
    o.razao_social = empresa;
    o.validar = validar;
    Gerar_Arquivo(o);
}

QString Celula(const frmLote &j, int linha, frmLote::Coluna c)
{
    const QTableWidgetItem *i = j.grdArquivos->item(linha, c);
    return i ? i->text() : QString();
}
} // namespace

class TstLoteJanela : public QObject {
    Q_OBJECT
private slots:
    void dois_arquivos_entregues_e_seus_recibos()
    {
        QTemporaryDir trabalho, declaracoes;
        const QString anterior = QDir::currentPath();
        QDir::setCurrent(trabalho.path());
        Gerar(declaracoes.path(), "A.MOV", "EMPRESA A");
        Gerar(declaracoes.path(), "B.MOV", "EMPRESA B");
        Gerar(declaracoes.path(), "NV.MOV", "EMPRESA NV", false);

        Servidor_Local s;
        frmLote j;
        j.Ajustes_.servidor = "127.0.0.1";
        j.Ajustes_.porta = s.porta;
        j.Ajustes_.paralelas = 2;
        j.Ajustes_.novo_relogio = [](Socketout &conexao) { return std::make_unique<Relogio_Rapido>(&conexao); };
        j.show();
        QSignalSpy lida(&j, &frmLote::Pasta_Lida);
        j.Abrir_Pasta(declaracoes.path());
        // The names at once, each file's reading as it comes.
        QCOMPARE(j.grdArquivos->rowCount(), 3);
        QVERIFY(lida.wait(20000));
        QVERIFY(!j.Lendo_Pasta());

        // The reading of each file; only the validated ones come ticked.
        QCOMPARE(Celula(j, 0, frmLote::Arquivo), QString("A.MOV"));
        QCOMPARE(Celula(j, 0, frmLote::Identificador), QString("11.222.333/0001-81"));
        QCOMPARE(Celula(j, 0, frmLote::Empresa), QString("EMPRESA A"));
        QCOMPARE(Celula(j, 0, frmLote::Competencia), QString("Março de 2024"));
        QCOMPARE(Celula(j, 0, frmLote::Tipo), QString("ZELTA"));
        QCOMPARE(Celula(j, 0, frmLote::Validacao), QString("validado"));
        QCOMPARE(Celula(j, 2, frmLote::Validacao), QString("não validado pelo PGV"));
        QCOMPARE(j.grdArquivos->item(0, frmLote::Arquivo)->checkState(), Qt::Checked);
        QCOMPARE(j.grdArquivos->item(2, frmLote::Arquivo)->checkState(), Qt::Unchecked);

        // "Não" at the one confirmation sends nothing.
        RoteiroMensagens r;
        j.cmdTransmitir->click();
        QCOMPARE(r.textos(), QStringList{Mensagem::Confirmacao_03});
        QVERIFY(!j.Em_Andamento());

        // "Sim": the press returns at once and the window handles events while the batch runs.
        r.responder(Resposta::Sim);
        QSignalSpy fim(&j, &frmLote::Lote_Concluido);
        j.cmdTransmitir->click();
        QVERIFY(j.Em_Andamento());
        QCOMPARE(j.cmdTransmitir->text(), QString("&Parar"));
        QVERIFY(!j.cmdSair->isEnabled());
        j.close(); // ignored while it runs
        QVERIFY(j.isVisible());
        QVERIFY(fim.wait(60000));

        QVERIFY(!j.Em_Andamento());
        QCOMPARE(r.textos().size(), 2); // nothing asked during the deliveries
        for (int l : {0, 1}) {
            QCOMPARE(Celula(j, l, frmLote::Andamento), QString("Concluído"));
            QVERIFY2(Celula(j, l, frmLote::Resultado).startsWith("Aceito, código "),
                     qPrintable(Celula(j, l, frmLote::Resultado)));
        }
        QVERIFY(Celula(j, 2, frmLote::Resultado).isEmpty());
        QCOMPARE(Ler_Historico().total, 2);
        QCOMPARE(j.cmdTransmitir->text(), QString("&Transmitir"));
        QVERIFY(j.cmdRecibos->isEnabled() && j.cmdSair->isEnabled());

        // Both receipts in one go.
        const Gravacao_Recibos g = j.Gravar_Recibos(trabalho.filePath("recibos"));
        QCOMPARE(g.gravados.size(), size_t(2));
        QVERIFY(g.falhas.empty());
        for (const std::string &registro : Ler_Historico().entradas)
            QVERIFY(QFile::exists(trabalho.filePath("recibos/" + QString::fromStdString(Nome_Arquivo_Recibo(registro)))));

        // Ticking the refused file too: its message shows on its row, the others were sent before.
        j.grdArquivos->item(2, frmLote::Arquivo)->setCheckState(Qt::Checked);
        r.responder(Resposta::Sim);
        j.cmdTransmitir->click();
        QVERIFY(fim.wait(60000));
        QCOMPARE(Celula(j, 2, frmLote::Resultado), QString("Recusado (mensagem 15)"));
        QCOMPARE(j.grdArquivos->item(2, frmLote::Resultado)->toolTip(), Mensagem_15);
        QCOMPARE(Celula(j, 2, frmLote::Andamento), QString("Não entregue"));
        QCOMPARE(j.lblSituacao->text(), QString("2 de 3 arquivo(s) entregue(s)"));
        QVERIFY(Celula(j, 0, frmLote::Resultado).startsWith("Já transmitido, código "));
        QCOMPARE(Ler_Historico().total, 2);
        // Files delivered before still give their receipts, from the history.
        QVERIFY(j.cmdRecibos->isEnabled());
        QCOMPARE(j.Gravar_Recibos(trabalho.filePath("de-novo")).gravados.size(), size_t(2));
        QDir::setCurrent(anterior);
    }

    void nome_longo_nao_vem_marcado_e_outra_pasta_para_a_leitura()
    {
        QTemporaryDir uma, outra;
        Gerar(uma.path(), "NOME_LONGO_1.MOV", "EMPRESA L"); // 16 characters: the block header holds 12
        Gerar(uma.path(), "CURTO.MOV", "EMPRESA C");
        for (int i = 0; i < 3; ++i)
            Gerar(outra.path(), "O" + std::to_string(i) + ".MOV", "EMPRESA O");
        frmLote j;
        QCOMPARE(j.spnParalelas->value(), 4);
        QSignalSpy lida(&j, &frmLote::Pasta_Lida);
        j.Abrir_Pasta(uma.path());
        QVERIFY(lida.wait(20000));
        const int longo = Celula(j, 0, frmLote::Arquivo) == "NOME_LONGO_1.MOV" ? 0 : 1;
        QCOMPARE(Celula(j, longo, frmLote::Validacao), QString("nome com mais de 12 caracteres"));
        QCOMPARE(j.grdArquivos->item(longo, frmLote::Arquivo)->checkState(), Qt::Unchecked);
        QCOMPARE(j.grdArquivos->item(1 - longo, frmLote::Arquivo)->checkState(), Qt::Checked);

        // Another folder while one is being read: only the new folder's rows, each read once.
        j.Abrir_Pasta(uma.path());
        j.Abrir_Pasta(outra.path());
        QVERIFY(lida.wait(20000));
        QTest::qWait(50); // anything the first reading queued has arrived by now
        QCOMPARE(j.grdArquivos->rowCount(), 3);
        for (int l = 0; l < 3; ++l) {
            QCOMPARE(Celula(j, l, frmLote::Empresa), QString("EMPRESA O"));
            QCOMPARE(Celula(j, l, frmLote::Validacao), QString("validado"));
        }
        QCOMPARE(lida.count(), 2);
    }

    void cada_letra_alt_leva_a_um_so_controle()
    {
        frmLote j;
        QCOMPARE(Atalhos_Repetidos(j), QStringList());
    }
};

QTEST_MAIN(TstLoteJanela)
#include "tst_lote_janela.moc"
