// Printing: printer switching and restoring, the unavailable-printer path, the print button, and the
// text of the page written to a PDF file.
#include "platform/Impressoras.h"
#include "receipt/Impressora_Aplicacao.h"
#include "receipt/Imprime_Recibo.h"
#include "tests/common/RoteiroMensagens.h"
#include "tests/receipt/Registros_Teste.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class tst_impressao : public QObject {
    Q_OBJECT

    QTemporaryDir pasta;
    QString pdf;
    Fonte_Impressoras anterior;

    bool Impresso()
    {
        const bool existe = QFileInfo(pdf).size() > 0;
        QFile::remove(pdf);
        return existe;
    }

private slots:
    void init()
    {
        anterior = Trocar_Fonte_Impressoras({[] { return std::vector<QString>{"Laser_A", "Laser_B", "Jato_C"}; },
                                             [] { return QString("Laser_A"); }});
        Reiniciar_Impressora_Aplicacao();
        Impressora_Salva = "antes";
        Impressora_Atual.clear();
        pdf = pasta.filePath("recibo.pdf");
        Trocar_Saida_Impressao(pdf);
    }
    void cleanup()
    {
        Trocar_Saida_Impressao({});
        Trocar_Fonte_Impressoras(std::move(anterior));
        Reiniciar_Impressora_Aplicacao();
    }

    void mesma_impressora_duas_vezes_nada_troca()
    {
        RoteiroMensagens roteiro;
        for (int i = 0; i < 2; ++i) {
            Imprime_Recibo(Registro_Teste(), "Laser_A");
            QVERIFY(Impresso());
            QCOMPARE(Impressora_Aplicacao(), QString("Laser_A"));
            QCOMPARE(Impressora_Salva, QString("antes"));
        }
        QVERIFY(roteiro.vistas().empty());
    }

    void outra_impressora_volta_a_anterior()
    {
        RoteiroMensagens roteiro;
        Imprime_Recibo(Registro_Teste(), "Laser_B");
        QVERIFY(Impresso());
        QCOMPARE(Impressora_Salva, QString("Laser_A"));
        QCOMPARE(Impressora_Aplicacao(), QString("Laser_A"));
        QCOMPARE(Impressora_Atual, QString("Jato_C")); // the walk's loop variable ends on the last one

        // An unknown name is no failure: the receipt goes to the current printer.
        Imprime_Recibo(Registro_Teste(), "Nenhuma");
        QVERIFY(Impresso());
        QCOMPARE(Impressora_Aplicacao(), QString("Laser_A"));
        QCOMPARE(Impressora_Salva, QString("Laser_A"));
        QVERIFY(roteiro.vistas().empty());
    }

    void falha_deixa_a_escolhida_atual()
    {
        RoteiroMensagens roteiro;
        Trocar_Saida_Impressao(pasta.filePath("nao/existe/recibo.pdf"));
        Imprime_Recibo(Registro_Teste(), "Laser_B");
        QCOMPARE(roteiro.vistas().size(), size_t(1));
        QCOMPARE(roteiro.vistas()[0].texto, QString("A impressora escolhida não se encontra disponível.\r"
                                                     "Escolha outra impressora."));
        QCOMPARE(roteiro.vistas()[0].icone, Icone::Exclamacao);
        QCOMPARE(roteiro.vistas()[0].botoes, Botoes::Ok);
        QCOMPARE(Impressora_Aplicacao(), QString("Laser_B"));
        QCOMPARE(Impressora_Salva, QString("Laser_A"));

        // The next switch saves the printer left current by the failure.
        Trocar_Saida_Impressao(pdf);
        Imprime_Recibo(Registro_Teste(), "Jato_C");
        QVERIFY(Impresso());
        QCOMPARE(Impressora_Salva, QString("Laser_B"));
        QCOMPARE(Impressora_Aplicacao(), QString("Laser_B"));
    }

    // Without the PDF seam a name the print system does not know must not reach Qt, which would
    // print on some other queue.
    void fila_inexistente_no_sistema_falha()
    {
        RoteiroMensagens roteiro;
        Trocar_Fonte_Impressoras({[] { return std::vector<QString>{"zelta-nenhuma.invalid"}; },
                                  [] { return QString("zelta-nenhuma.invalid"); }});
        Reiniciar_Impressora_Aplicacao();
        Trocar_Saida_Impressao({});
        Imprime_Recibo(Registro_Teste(), "zelta-nenhuma.invalid");
        QCOMPARE(roteiro.textos(), QStringList{Mensagem_Impressora_Indisponivel});
    }

    void botao_sem_impressora_escolhida()
    {
        RoteiroMensagens roteiro;
        QWidget janela;
        QComboBox lista(&janela);
        QPushButton outro(&janela);
        janela.show();
        QVERIFY(QTest::qWaitForWindowActive(&janela));
        outro.setFocus();
        Imprimir_Da_Lista(&lista, Registro_Teste());
        QCOMPARE(roteiro.textos(), QStringList{"14 - Informe a impressora antes de confirmar a impressão!"});
        QCOMPARE(roteiro.vistas()[0].icone, Icone::Exclamacao);
        QVERIFY(lista.hasFocus());
        QVERIFY(!QFileInfo::exists(pdf));
    }

    void botao_imprime_na_escolhida_com_ampulheta()
    {
        RoteiroMensagens roteiro;
        QComboBox lista;
        lista.addItems({"Laser_A", "Laser_B"});
        lista.setCurrentIndex(1);
        bool ampulheta = false; // the hourglass is up while the printers are walked
        Trocar_Fonte_Impressoras({[&] {
                                      ampulheta = QApplication::overrideCursor() != nullptr;
                                      return std::vector<QString>{"Laser_A", "Laser_B"};
                                  },
                                  [] { return QString("Laser_A"); }});
        Imprimir_Da_Lista(&lista, Registro_Teste());
        QVERIFY(Impresso());
        QVERIFY(roteiro.vistas().empty());
        QCOMPARE(Impressora_Salva, QString("Laser_A"));
        QVERIFY(ampulheta);
        QVERIFY(!QApplication::overrideCursor());
    }

    void texto_do_pdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Imprime_Recibo(Registro_Teste(), "Laser_A");
        QProcess p;
        p.start(pdftotext, {"-layout", "-enc", "UTF-8", pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString texto = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *parte : {"RECIBO DE ENTREGA DO MEIO MAGNÉTICO", "REFERÊNCIA : Março de 2024",
                                  "CNPJ : 12.345.678/0001-90 - CONSTRUÇÃO ÁGUA LTDA", "em 05/03/2024 às 14:07:09",
                                  "Código do Recebimento: 00012345", "Versão: 1.01"})
            QVERIFY2(texto.contains(QString::fromUtf8(parte)), parte);
    }
};

QTEST_MAIN(tst_impressao)
#include "tst_impressao.moc"
