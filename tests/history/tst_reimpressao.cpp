// The reprint window: the grid of the newest 200 entries and its cell texts, picking a row,
// printing and previewing the picked entry, and the main window's actions while it is open.
#include "history/Historico.h"
#include "history/frmReimpressao.h"
#include "platform/Impressoras.h"
#include "receipt/Impressora_Aplicacao.h"
#include "receipt/Imprime_Recibo.h"
#include "receipt/frmVisualizar.h"
#include "tests/common/RoteiroMensagens.h"
#include "tests/common/Janela_Modal.h"
#include "tests/receipt/Registros_Teste.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

namespace {
std::string Entrada(int i)
{
    Campos_Teste c = i % 2 ? Campos_Teste{} : Campos_Acerto();
    c.codigo = QString::number(i).rightJustified(8, '0').toStdString();
    return Registro_Teste(c);
}

void Escrever_Historico(int entradas)
{
    std::ofstream f(Historico_Transmissoes, std::ios::binary | std::ios::trunc);
    for (int i = 1; i <= entradas; ++i)
        f << Codificar_Linha(Entrada(i)) << "\r\n";
}

} // namespace

class tst_reimpressao : public QObject {
    Q_OBJECT

    QTemporaryDir pasta;
    QString origem;
    std::vector<bool> acoes; // what the window asked of the main window's actions
    Fonte_Impressoras anterior;

private slots:
    void initTestCase()
    {
        origem = QDir::currentPath();
        QVERIFY(QDir::setCurrent(pasta.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(origem); }
    void init()
    {
        QFile::remove(Historico_Transmissoes);
        acoes.clear();
        Definir_Acoes_Principal([this](bool h) { acoes.push_back(h); });
        anterior = Trocar_Fonte_Impressoras({[] { return std::vector<QString>{"Laser_A", "Laser_B"}; },
                                             [] { return QString("Laser_A"); }});
        Reiniciar_Impressora_Aplicacao();
        Dados_Recibo.clear();
    }
    void cleanup()
    {
        Definir_Acoes_Principal({});
        Trocar_Fonte_Impressoras(std::move(anterior));
        Trocar_Saida_Impressao({});
    }

    void celulas_das_colunas()
    {
        QCOMPARE(Celulas_Reimpressao(Registro_Teste()),
                 QStringList({"05/03/2024 às 14:07:09", "    MOV1.TXT", "ZELTA", "00012345",
                              "CNPJ: 12.345.678/0001-90", "03/2024"}));
        QCOMPARE(Celulas_Reimpressao(Registro_Teste(Campos_Acerto())),
                 QStringList({"05/03/2024 às 14:07:09", "    ACE1.TXT", "ACERTO", "00054321",
                              "CEI: 12.345.678.901-2", ""}));
        Campos_Teste c;
        c.tipo = "x"; // not a number: not a movement file
        QCOMPARE(Celulas_Reimpressao(Registro_Teste(c))[2], QString("ACERTO"));
    }

    void janela_ao_carregar()
    {
        frmReimpressao f;
        QCOMPARE(acoes, std::vector<bool>{false});
        QStringList titulos;
        for (int c = 0; c < f.MSFlexGrid1->columnCount(); ++c)
            titulos << f.MSFlexGrid1->horizontalHeaderItem(c)->text();
        QCOMPARE(titulos, QStringList({"Transmitido em:", "Arquivo", "Tipo Arquivo", "Cod. Retorno",
                                       "Identificador", "Competência"}));
        QCOMPARE(f.cmb_print->currentText(), QString("Laser_A"));
        QVERIFY(!f.cmdImprimir->isEnabled());
        QVERIFY(!f.cmdVisualizar->isEnabled());
    }

    void grade_das_200_mais_novas()
    {
        Escrever_Historico(250);
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        QCOMPARE(f.MSFlexGrid1->rowCount(), 200);
        QCOMPARE(f.MSFlexGrid1->item(0, 3)->text(), QString("00000051"));
        QCOMPARE(f.MSFlexGrid1->item(199, 3)->text(), QString("00000250"));
        QCOMPARE(f.Linhas_Historico[1], Entrada(51));
        QCOMPARE(f.Linhas_Historico[200], Entrada(250));
        QVERIFY(f.Linhas_Historico[0].empty());
        QCOMPARE(f.MSFlexGrid1->item(1, 4)->text(), QString("CEI: 12.345.678.901-2"));
        // Filling the grid is no pick.
        QCOMPARE(f.Linha_Selecionada, int16_t(0));
        QVERIFY(!f.cmdImprimir->isEnabled());
        QVERIFY(Dados_Recibo.empty());
    }

    void escolher_linha_carrega_a_entrada()
    {
        Escrever_Historico(7);
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        f.MSFlexGrid1->setCurrentCell(4, 2);
        QCOMPARE(f.Linha_Selecionada, int16_t(5));
        QCOMPARE(Dados_Recibo, Entrada(5));
        QCOMPARE(f.Text1->text(), QString("00000005"));
        QVERIFY(f.cmdImprimir->isEnabled());
        QVERIFY(f.cmdVisualizar->isEnabled());
        f.MSFlexGrid1->setCurrentCell(1, 0);
        QCOMPARE(f.Text1->text(), QString("00000002"));
        QCOMPARE(Dados_Recibo, Entrada(2));
    }

    void visualizar_mostra_a_escolhida()
    {
        Escrever_Historico(3);
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        for (int linha : {2, 1}) {
            f.MSFlexGrid1->setCurrentCell(linha, 0);
            QString codigo;
            const auto espera = Quando_Modal<frmVisualizar>([&](frmVisualizar *v) {
                codigo = v->Label17->text();
                v->Command1->click();
            });
            f.cmdVisualizar->click();
            QCOMPARE(codigo, QString("Código do Recebimento: 0000000%1").arg(linha + 1));
        }
    }

    void imprimir_sem_impressora_mensagem_14()
    {
        Trocar_Fonte_Impressoras({[] { return std::vector<QString>{}; }, [] { return QString(); }});
        Escrever_Historico(2);
        RoteiroMensagens roteiro;
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        QCOMPARE(f.cmb_print->currentIndex(), -1);
        f.MSFlexGrid1->setCurrentCell(0, 0);
        f.cmdImprimir->click();
        QCOMPARE(roteiro.textos(), QStringList{"14 - Informe a impressora antes de confirmar a impressão!"});
        QCOMPARE(f.Linha_Selecionada, int16_t(1)); // the pick stays
    }

    void imprimir_a_entrada_escolhida()
    {
        Escrever_Historico(4);
        const QString pdf = pasta.filePath("recibo.pdf");
        Trocar_Saida_Impressao(pdf);
        RoteiroMensagens roteiro;
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        f.MSFlexGrid1->setCurrentCell(3, 0);
        f.cmb_print->setCurrentIndex(1);
        f.cmdImprimir->click();
        QVERIFY(roteiro.vistas().empty());
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(Impressora_Salva, QString("Laser_A"));
        QCOMPARE(Impressora_Aplicacao(), QString("Laser_A"));
    }

    void sem_historico_fecha_sem_mostrar()
    {
        bool mostrada = false;
        const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
            mostrada = true;
            f->reject();
        });
        QCOMPARE(frmReimpressao::Mostrar(nullptr), int(QDialog::Rejected));
        QVERIFY(!mostrada);
        QCOMPARE(acoes, (std::vector<bool>{false, true}));
    }

    void fechar_reabilita_a_principal_data()
    {
        QTest::addColumn<bool>("pela_caixa");
        QTest::newRow("Voltar") << false;
        QTest::newRow("caixa de fechar") << true;
    }
    void fechar_reabilita_a_principal()
    {
        QFETCH(bool, pela_caixa);
        Escrever_Historico(3);
        std::vector<bool> durante;
        int linhas = -1;
        bool escolhida = true;
        const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
            durante = acoes;
            linhas = f->MSFlexGrid1->rowCount();
            escolhida = f->cmdImprimir->isEnabled();
            if (pela_caixa)
                f->close();
            else
                f->cmdSair->click();
        });
        frmReimpressao::Mostrar(nullptr);
        QCOMPARE(linhas, 3);
        QVERIFY(!escolhida); // showing the window picks nothing
        QCOMPARE(durante, std::vector<bool>{false});
        QCOMPARE(acoes, (std::vector<bool>{false, true}));
    }
};

QTEST_MAIN(tst_reimpressao)
#include "tst_reimpressao.moc"
