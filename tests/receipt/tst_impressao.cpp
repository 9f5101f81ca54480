// Printing: printer switching and restoring, the unavailable-printer path, the print button, and the
// text of the page written to a PDF file.
#include "engine/print/Impressoras.h"
#include "gui/receipt/Lista_Impressoras.h"
#include "engine/print/Impressora_Aplicacao.h"
#include "engine/print/Impressao.h"
#include "gui/receipt/Imprime_Recibo.h"
#include "tests/common/Janela_Modal.h"
#include "tests/common/RoteiroMensagens.h"
#include "tests/receipt/Registros_Teste.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Runs `acao` on the save dialog once it is visible; a dialog that refused the answer is ended
// rather than left to hang the test.
[[nodiscard]] std::unique_ptr<QTimer> No_Dialogo(std::function<void(QFileDialog *)> acao)
{
    return Quando_Modal<QFileDialog>([acao](QFileDialog *d) {
        acao(d);
        if (d->isVisible())
            d->reject();
    });
}

QString Texto_Pdf(const QString &pdf)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable("pdftotext"), {"-layout", "-enc", "UTF-8", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

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

    // The lists end with the PDF entry; the first printer stays chosen, and with no printer
    // nothing is, so the button still gives message 14.
    void lista_termina_com_arquivo_pdf()
    {
        QComboBox lista;
        Preencher_Lista_Impressoras(&lista);
        QCOMPARE(lista.count(), 4);
        QCOMPARE(lista.itemText(3), QString("Arquivo PDF..."));
        QCOMPARE(lista.currentIndex(), 0);
        QVERIFY(!Escolhido_Arquivo_Pdf(&lista));
        lista.setCurrentIndex(3);
        QVERIFY(Escolhido_Arquivo_Pdf(&lista));

        // A queue that bears the entry's name is a printer all the same.
        Trocar_Fonte_Impressoras({[] { return std::vector<QString>{"Arquivo PDF..."}; }, [] { return QString(); }});
        QComboBox homonima;
        Preencher_Lista_Impressoras(&homonima);
        QCOMPARE(homonima.count(), 2);
        QVERIFY(!Escolhido_Arquivo_Pdf(&homonima));

        Trocar_Fonte_Impressoras({[] { return std::vector<QString>{}; }, [] { return QString(); }});
        QComboBox vazia;
        Preencher_Lista_Impressoras(&vazia);
        QCOMPARE(vazia.count(), 1);
        QCOMPARE(vazia.currentIndex(), -1);
        RoteiroMensagens roteiro;
        Imprimir_Da_Lista(&vazia, Registro_Teste());
        QCOMPARE(roteiro.textos(), QStringList{Mensagem_Informe_Impressora});
    }

    // "Arquivo PDF...": the save dialog opens in "Recibos" of the current directory (made when
    // missing) with the receipt's name; the file holds the receipt; no printer is switched.
    void arquivo_pdf_pelo_dialogo()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir atual;
        struct Volta {
            QString origem = QDir::currentPath();
            ~Volta() { QDir::setCurrent(origem); }
        } volta;
        QVERIFY(QDir::setCurrent(atual.path()));
        RoteiroMensagens roteiro;
        QComboBox lista;
        Preencher_Lista_Impressoras(&lista);
        lista.setCurrentIndex(lista.count() - 1);
        const QString esperado = QDir(atual.path()).filePath("Recibos/12345678000190-032024-00012345.pdf");

        QString pasta_dialogo, nome_dialogo;
        auto espera = No_Dialogo([&](QFileDialog *d) {
            pasta_dialogo = d->directory().absolutePath();
            if (auto *nome = d->findChild<QLineEdit *>("fileNameEdit"))
                nome_dialogo = nome->text();
            static_cast<QDialog *>(d)->accept();
        });
        Imprimir_Da_Lista(&lista, Registro_Teste());
        QCOMPARE(pasta_dialogo, QDir(atual.path()).filePath("Recibos"));
        QCOMPARE(nome_dialogo, QString("12345678000190-032024-00012345.pdf"));
        QVERIFY(roteiro.vistas().empty());
        QVERIFY(Texto_Pdf(esperado).contains("Código do Recebimento: 00012345"));
        QVERIFY(!QFileInfo::exists(pdf)); // nothing went to the printer
        QCOMPARE(Impressora_Salva, QString("antes"));

        // The file exists: "Não" asks again (cancelled here) and leaves it; "Sim" replaces it.
        const QDateTime antes = QFileInfo(esperado).lastModified();
        roteiro.responder(Resposta::Nao);
        int dialogos = 0;
        std::unique_ptr<QTimer> segunda;
        auto primeira = No_Dialogo([&](QFileDialog *d) {
            ++dialogos;
            static_cast<QDialog *>(d)->accept();
            segunda = No_Dialogo([&](QFileDialog *d2) {
                ++dialogos;
                d2->reject();
            });
        });
        Imprimir_Da_Lista(&lista, Registro_Teste());
        QCOMPARE(dialogos, 2);
        QCOMPARE(roteiro.vistas().size(), size_t(1));
        QCOMPARE(roteiro.vistas()[0].texto, "O arquivo " + QDir::toNativeSeparators(esperado) + " já existe.\r"
                                                                                            "Deseja substituí-lo?");
        QCOMPARE(roteiro.vistas()[0].botoes, Botoes::SimNao);
        QCOMPARE(QFileInfo(esperado).lastModified(), antes);
        QVERIFY(Texto_Pdf(esperado).contains("00012345"));

        roteiro.limpar();
        roteiro.responder(Resposta::Sim);
        auto terceira = No_Dialogo([&](QFileDialog *d) {
            d->findChild<QLineEdit *>("fileNameEdit")->setText(esperado);
            static_cast<QDialog *>(d)->accept();
        });
        Imprimir_Da_Lista(&lista, Registro_Teste(Campos_Acerto()));
        QCOMPARE(roteiro.vistas().size(), size_t(1));
        QVERIFY(Texto_Pdf(esperado).contains("00054321"));

        QVERIFY(Texto_Pdf(esperado).contains("00054321"));
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
