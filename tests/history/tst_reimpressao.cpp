// The reprint window: the grid of the newest 200 entries and its cell texts, picking a row,
// printing and previewing the picked entry, and the main window's actions while it is open.
#include "gui/cis/CIS_000.h"
#include "engine/history/Historico.h"
#include "gui/history/frmReimpressao.h"
#include "engine/print/Impressoras.h"
#include "engine/print/Impressora_Aplicacao.h"
#include "engine/print/Impressao.h"
#include "gui/receipt/Imprime_Recibo.h"
#include "gui/receipt/frmVisualizar.h"
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
#include <QScrollBar>
#include <QSettings>
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
        QSettings(QStringLiteral("zeltanet"), QStringLiteral("zeltanet")).clear(); // a user's first time
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
        // Column 0 joins the parts as they stand.
        QCOMPARE(Celulas_Reimpressao(std::string())[0], QString("// às ::"));
        QCOMPARE(Celulas_Reimpressao("2024")[0], QString("//2024 às ::"));
        QCOMPARE(Razao_Social_Reimpressao(Registro_Teste()), QString("CONSTRUÇÃO ÁGUA LTDA"));
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
        QCOMPARE(f.cmb_print->count(), 3);
        QCOMPARE(f.cmb_print->itemText(2), QString("Arquivo PDF..."));
        QVERIFY(!f.cmdImprimir->isEnabled());
        QVERIFY(!f.cmdVisualizar->isEnabled());
        QCOMPARE(f.lblLocalizar->text(), QString("Localizar:"));
        QVERIFY(f.txtLocalizar->text().isEmpty());
    }

    // The window opens on the newest rows, grows with its grid, and the controls keep their
    // places relative to the edges they sit by.
    void abre_na_mais_nova_e_cresce()
    {
        Escrever_Historico(250);
                QSize design, maior;
        bool no_fim = false, maximizavel = false;
        QRect grade0, grade1, sair0, sair1, texto0, texto1;
        QString dica;
        const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
            QScrollBar *barra = f->MSFlexGrid1->verticalScrollBar();
            no_fim = barra->maximum() > 0 && barra->value() == barra->maximum();
            maximizavel = f->windowFlags() & Qt::WindowMaximizeButtonHint;
            dica = f->MSFlexGrid1->item(199, 4)->toolTip();
            design = f->size();
            grade0 = f->MSFlexGrid1->geometry();
            sair0 = f->cmdSair->geometry();
            texto0 = f->Text1->geometry();
            f->resize(f->size() + QSize(300, 200));
            maior = f->size();
            grade1 = f->MSFlexGrid1->geometry();
            sair1 = f->cmdSair->geometry();
            texto1 = f->Text1->geometry();
            f->reject();
        });
        frmReimpressao::Mostrar(nullptr);
        QVERIFY(no_fim);
        QVERIFY(maximizavel);
        QCOMPARE(dica, QString("CONSTRUÇÃO ÁGUA LTDA"));
        QCOMPARE(design, QSize(Twips_X(11100), Twips_Y(2760)));
        QCOMPARE(maior, design + QSize(300, 200));
        QCOMPARE(grade1, grade0.adjusted(0, 0, 300, 200));
        QCOMPARE(sair1, sair0.translated(300, 200));
        QCOMPARE(texto1, texto0.translated(0, 200));
    }

    // The window opens where and as large as the user last left it, by whatever way it closed.
    void lembra_tamanho_e_posicao()
    {
        Escrever_Historico(3);
        QSize primeira;
        const QSize dada(Twips_X(11100) + 400, Twips_Y(2760) + 150);
        const QPoint lugar(37, 41);
        {
            const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
                primeira = f->size();
                f->resize(dada);
                f->move(lugar);
                f->cmdSair->click();
            });
            frmReimpressao::Mostrar(nullptr);
        }
        QCOMPARE(primeira, QSize(Twips_X(11100), Twips_Y(2760)));
        QSize depois;
        QPoint onde;
        {
            const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
                depois = f->size();
                onde = f->pos();
                f->reject();
            });
            frmReimpressao::Mostrar(nullptr);
        }
        QCOMPARE(depois, dada);
        QCOMPARE(onde, lugar);

        // A window that closes before it shows (no history) keeps nothing.
        QFile::remove(Historico_Transmissoes);
        frmReimpressao::Mostrar(nullptr);
        Escrever_Historico(3);
        frmReimpressao f;
        QCOMPARE(f.size(), dada);
    }

    // The company name, a tooltip of the identifier at the design size, becomes the grid's last
    // column once the window is wide enough, and goes again when it narrows; the pick stays.
    void razao_social_na_largura_que_sobra()
    {
        Escrever_Historico(3);
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.MSFlexGrid1->columnCount(), 6);
        QCOMPARE(f.MSFlexGrid1->item(0, 4)->toolTip(), QString("CONSTRUÇÃO ÁGUA LTDA"));
        f.MSFlexGrid1->setCurrentCell(1, 0);
        QCOMPARE(f.Linha_Selecionada, int16_t(2));

        f.resize(f.size() + QSize(Twips_X(2600) - 1, 0));
        QCOMPARE(f.MSFlexGrid1->columnCount(), 6); // not yet room for a name
        f.resize(f.size() + QSize(300, 0));
        QCOMPARE(f.MSFlexGrid1->columnCount(), 7);
        QCOMPARE(f.MSFlexGrid1->horizontalHeaderItem(6)->text(), QString("Razão Social"));
        QCOMPARE(f.MSFlexGrid1->item(0, 6)->text(), QString("CONSTRUÇÃO ÁGUA LTDA"));
        QCOMPARE(f.MSFlexGrid1->item(1, 6)->text(), Razao_Social_Reimpressao(Entrada(2)));
        QVERIFY(f.MSFlexGrid1->columnWidth(6) >= Twips_X(2600));
        QCOMPARE(f.Linha_Selecionada, int16_t(2));
        QCOMPARE(Dados_Recibo, Entrada(2));

        // A search refills the column too.
        f.txtLocalizar->setText("00000003");
        f.Aplicar_Busca();
        QCOMPARE(f.MSFlexGrid1->rowCount(), 1);
        QCOMPARE(f.MSFlexGrid1->item(0, 6)->text(), Razao_Social_Reimpressao(Entrada(3)));

        f.resize(QSize(Twips_X(11100), Twips_Y(2760)));
        QCOMPARE(f.MSFlexGrid1->columnCount(), 6);
        QCOMPARE(f.MSFlexGrid1->item(0, 4)->toolTip(), Razao_Social_Reimpressao(Entrada(3)));
    }

    // The search finds entries older than the newest 200; picking a found row loads it; an
    // empty box shows the newest 200 again.
    void localizar_em_todo_o_historico()
    {
        Escrever_Historico(250);
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        f.MSFlexGrid1->setCurrentCell(10, 0);
        QVERIFY(f.cmdImprimir->isEnabled());
        QTest::keyClicks(f.txtLocalizar, "00000003");
        QTRY_COMPARE(f.MSFlexGrid1->rowCount(), 1); // after the pause in the typing
        QCOMPARE(f.MSFlexGrid1->item(0, 3)->text(), QString("00000003"));
        QVERIFY(!f.cmdImprimir->isEnabled()); // the old pick went with its row
        QCOMPARE(f.Linha_Selecionada, int16_t(0));
        f.MSFlexGrid1->setCurrentCell(0, 1);
        QCOMPARE(f.Linha_Selecionada, int16_t(1));
        QCOMPARE(Dados_Recibo, Entrada(3));
        QCOMPARE(f.Text1->text(), QString("00000003"));

        // By identifier without punctuation: the CEI entries are the even ones.
        f.txtLocalizar->setText("123456789012");
        f.Aplicar_Busca();
        QCOMPARE(f.MSFlexGrid1->rowCount(), 125);
        QCOMPARE(f.MSFlexGrid1->item(124, 3)->text(), QString("00000250"));
        QCOMPARE(f.MSFlexGrid1->item(0, 3)->text(), QString("00000002"));

        f.txtLocalizar->clear();
        f.Aplicar_Busca();
        QCOMPARE(f.MSFlexGrid1->rowCount(), 200);
        QCOMPARE(f.MSFlexGrid1->item(0, 3)->text(), QString("00000051"));
    }

    // Typing searches on a worker thread: the window keeps answering, a newer text replaces the
    // search before it, and the count goes under the box.
    void busca_em_segundo_plano_com_contagem()
    {
        Escrever_Historico(250);
        frmReimpressao f;
        QVERIFY(f.Carregar_Historico(Historico_Transmissoes));
        QVERIFY(f.lblEncontradas->text().isEmpty());
        f.txtLocalizar->setText("0000"); // every code: more than 200
        f.Buscar_Em_Segundo_Plano();
        f.txtLocalizar->setText("00000003"); // replaces the one still running
        f.Buscar_Em_Segundo_Plano();
        QTRY_COMPARE(f.lblEncontradas->text(), QString("1 encontrada"));
        QCOMPARE(f.MSFlexGrid1->rowCount(), 1);
        f.txtLocalizar->setText("0000");
        f.Buscar_Em_Segundo_Plano();
        QTRY_COMPARE(f.lblEncontradas->text(), QString("250 encontradas (mostrando as 200 mais recentes)"));
        QCOMPARE(f.MSFlexGrid1->rowCount(), 200);
        QTest::keyClicks(f.txtLocalizar, "X"); // after the pause in the typing
        QTRY_COMPARE(f.lblEncontradas->text(), QString("Nenhuma transmissão encontrada"));
        QCOMPARE(f.MSFlexGrid1->rowCount(), 0);
        f.txtLocalizar->clear();
        f.Aplicar_Busca();
        QVERIFY(f.lblEncontradas->text().isEmpty());
        QCOMPARE(f.MSFlexGrid1->rowCount(), 200);
    }

    // After message 08 with "Sim" the window opens with the delivery's row picked, also when it
    // is older than the newest 200.
    void abre_com_a_entrega_escolhida()
    {
        Escrever_Historico(250);
        for (const char *codigo : {"00000240", "00000010"}) {
                        QString texto, busca;
            int linhas = 0;
            std::string dados;
            const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
                texto = f->Text1->text();
                busca = f->txtLocalizar->text();
                linhas = f->MSFlexGrid1->rowCount();
                dados = f->Linhas_Historico[size_t(f->Linha_Selecionada)];
                f->reject();
            });
            frmReimpressao::Mostrar(nullptr, codigo);
            QCOMPARE(texto, QString(codigo));
            QCOMPARE(dados, Entrada(QString(codigo).toInt()));
            QCOMPARE(Dados_Recibo, dados);
            QCOMPARE(linhas, std::string(codigo) == "00000240" ? 200 : 1);
            QCOMPARE(busca, std::string(codigo) == "00000240" ? QString() : QString(codigo));
        }
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

    // The keyboard enters the grid from "&Voltar", and that picks a row as a click would.
    void tab_de_voltar_entra_na_grade()
    {
        Escrever_Historico(3);
                QString foco = "nothing", codigo;
        const auto espera = Quando_Modal<frmReimpressao>([&](frmReimpressao *f) {
            if (!QTest::qWaitForWindowActive(f))
                return f->reject();
            f->cmdSair->setFocus();
            QTest::keyClick(f->cmdSair, Qt::Key_Tab);
            foco = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            codigo = f->Text1->text();
            f->reject();
        });
        frmReimpressao::Mostrar(nullptr);
        QCOMPARE(foco, QString("MSFlexGrid1"));
        QCOMPARE(codigo, QString("00000001"));
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
        QCOMPARE(f.cmb_print->count(), 1); // only "Arquivo PDF...", never chosen by itself
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
