// zelta-transmitir run as a program against the local reception server, with the real clock:
// its command line, confirmation, output, receipts and exit statuses.
#include "Servidor_Local.h"

#include "engine/history/Historico.h"
#include "engine/print/Recibo_Pdf.h"
#include "engine/receipt/Registro_Recibo.h"
#include "tools/transmitir/Painel.h"
#include "tests/common/Declaracao_Teste.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>

namespace {
struct Execucao {
    int status = -1;
    QString saida, erros;
};

// Runs the tool (or `programa`) in `pasta` (the current folder when empty).
Execucao Rodar(const QStringList &argumentos, const QByteArray &entrada = {}, const QString &pasta = {},
               const QString &programa = {})
{
    QProcess p;
    p.setWorkingDirectory(pasta.isEmpty() ? QDir::currentPath() : pasta);
    p.start(programa.isEmpty() ? qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/transmitir/zelta-transmitir"
                               : programa,
            argumentos);
    Execucao e;
    if (!p.waitForStarted(10000))
        return e;
    p.write(entrada);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        return e;
    e.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    e.saida = QString::fromLocal8Bit(p.readAllStandardOutput());
    e.erros = QString::fromLocal8Bit(p.readAllStandardError());
    return e;
}

void Gerar(const std::string &nome, const std::string &empresa, bool validar = true)
{
    Opcoes_Geracao o = Declaracao_Padrao(nome);
    o.razao_social = empresa;
    o.validar = validar;
    Gerar_Arquivo(o);
}
} // namespace

class TstFerramentaTransmitir : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    QString anterior_;

private slots:
    void initTestCase()
    {
        QVERIFY(pasta_.isValid());
        anterior_ = QDir::currentPath();
        QDir::setCurrent(pasta_.path());
    }
    void cleanupTestCase() { QDir::setCurrent(anterior_); }

    void linha_de_comando_errada_e_ajuda()
    {
        const Execucao ajuda = Rodar({"--help"});
        QCOMPARE(ajuda.status, 0);
        QVERIFY(ajuda.saida.startsWith("Uso: zelta-transmitir"));
        for (const char *o : {"--servidor", "--porta", "--paralelas", "--recibos", "--espera", "--sim"})
            QVERIFY2(ajuda.saida.contains(o), o);
        for (int status = 0; status <= 4; ++status)
            QVERIFY(ajuda.saida.contains(QRegularExpression(QString("\n  %1  \\w").arg(status))));

        for (const QStringList &errada : {QStringList{}, QStringList{"--sim"}, QStringList{"--paralelas", "9", "A.MOV"},
                                          QStringList{"--paralelas", "0", "A.MOV"}, QStringList{"--porta", "x", "A.MOV"},
                                          QStringList{"--espera", "-1", "A.MOV"}, QStringList{"--nada", "A.MOV"}}) {
            const Execucao e = Rodar(errada);
            QVERIFY2(e.status == 2, qPrintable(errada.join(' ')));
            QVERIFY(!e.erros.isEmpty());
        }
    }

    void nao_confirmado_nada_envia()
    {
        Gerar("N.MOV", "EMPRESA N");
        const Execucao e = Rodar({"--servidor", "127.0.0.1", "--porta", "1", "N.MOV"}, "n\n");
        QCOMPARE(e.status, 1);
        QVERIFY(e.saida.startsWith("03 - Esta operação irá transmitir os dados pela Internet.\n"));
        QVERIFY(!e.saida.contains("N.MOV"));
        QVERIFY(!Historico_Existe());
    }

    void entregas_recibos_e_resultados()
    {
        Servidor_Local s;
        const QString porta = QString::number(s.porta);
        Gerar("A.MOV", "EMPRESA A");
        Gerar("B.MOV", "EMPRESA B");
        Gerar("NV.MOV", "EMPRESA NV", false);

        // Confirmed at the question; both accepted, their receipts written.
        const Execucao e = Rodar({"--servidor", "127.0.0.1", "--porta", porta, "--paralelas", "2", "--recibos",
                                  "recibos", "A.MOV", "B.MOV"},
                                 "s\n");
        QVERIFY2(e.status == 0, qPrintable(e.saida + e.erros));
        QVERIFY(e.saida.endsWith("\n2 recibo(s) em PDF gravado(s) em " + QDir("recibos").absolutePath() + "\n"));
        const Leitura_Historico h = Ler_Historico();
        QCOMPARE(h.total, 2);
        for (const std::string &registro : h.entradas) {
            const QString pdf = "recibos/" + QString::fromStdString(Nome_Arquivo_Recibo(registro));
            QFile f(pdf);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(pdf));
            QVERIFY(f.read(5) == "%PDF-");
        }
        // Without a terminal: one plain line per event, then the summary.
        const QStringList linhas = e.saida.split('\n');
        QVERIFY(linhas.contains("A.MOV: bloco 1 de 1 enviado"));
        QVERIFY(linhas.contains("B.MOV: aguardando resposta do servidor"));
        QVERIFY(e.saida.contains(QRegularExpression("\nA.MOV: Aceito, código \\d{8}\n")));
        QVERIFY(e.saida.contains(QRegularExpression("\nA.MOV +EMPRESA A +03/2024 +Aceito, código \\d{8}\n")));
        QVERIFY(!e.saida.contains("\033"));

        // Already delivered, and a file the checks refuse: the batch goes on, the status says so.
        const Execucao f = Rodar({"--servidor", "127.0.0.1", "--porta", porta, "--sim", "--paralelas", "2", "NV.MOV",
                                  "A.MOV"});
        QCOMPARE(f.status, 1);
        QVERIFY(f.saida.contains("\nA.MOV: 08 - Este arquivo já foi transmitido anteriormente. Com o Código"));
        QVERIFY(f.saida.contains("Deseja reimprimir o recibo? [Não]\n"));
        // A refused file takes its start and its message while the batch runs, in whatever order
        // the two files' lines come.
        QStringList de_nv;
        for (const QString &l : f.saida.split('\n'))
            if (l.startsWith("NV.MOV: "))
                de_nv << l;
        QCOMPARE(de_nv, QStringList({"NV.MOV: início", "NV.MOV: 15 - O arquivo escolhido para transmissão ainda não foi "
                                                      "validado pelo PGV!"}));
        QVERIFY(f.saida.contains(QRegularExpression("\nNV.MOV +EMPRESA NV +03/2024 +Recusado \\(mensagem 15\\)\n")));
        QVERIFY(f.saida.contains(QRegularExpression("\nA.MOV +EMPRESA A +03/2024 +Já transmitido, código \\d{8}\n")));
        QCOMPARE(Ler_Historico().total, 2);

        // Only files already delivered: success.
        QCOMPARE(Rodar({"--servidor", "127.0.0.1", "--porta", porta, "--sim", "B.MOV"}).status, 0);
    }

    // The history cannot be written or read (a folder holds its name): the delivery, accepted or
    // made before, is reported with its own words and code, nothing asks to print now, and the
    // status says so.
    void aceito_sem_historico()
    {
        Servidor_Local s;
        QVERIFY(QDir().mkpath("sem-historico/Zelta.ret"));
        QVERIFY(QDir::setCurrent("sem-historico"));
        Gerar("H.MOV", "EMPRESA H");
        QVERIFY(QDir::setCurrent(".."));
        const QStringList argumentos{"--servidor", "127.0.0.1", "--porta", QString::number(s.porta), "--sim", "H.MOV"};
        for (const char *vez : {"aceito", "ja transmitido"}) {
            const Execucao e = Rodar(argumentos, {}, "sem-historico");
            QVERIFY2(e.status == 3, qPrintable(QString(vez) + ": " + e.saida + e.erros));
            const char *situacao = *vez == 'a' ? "Aceito" : "Já transmitido";
            QVERIFY2(e.saida.contains(QRegularExpression(
                         QString("\nH.MOV +EMPRESA H +03/2024 +%1, recibo não gravado no histórico: .+; código \\d{8}\n")
                             .arg(situacao))),
                     qPrintable(e.saida));
            if (*vez == 'a')
                QVERIFY(e.saida.contains("H.MOV: recibo não gravado no histórico: "));
            QVERIFY(!e.saida.contains("Imprima"));
        }
    }

    // Receipts of files delivered before come from the history; a full disk (a file-size limit
    // on the tool) leaves no empty PDF and gives its own status.
    void recibos_de_ja_transmitidos_e_disco_cheio()
    {
        Servidor_Local s;
        QVERIFY(QDir().mkpath("cheio"));
        QVERIFY(QDir::setCurrent("cheio"));
        Gerar("J.MOV", "EMPRESA J");
        QVERIFY(QDir::setCurrent(".."));
        const QString pasta = QDir("cheio").absolutePath();
        const QStringList entrega{"--servidor", "127.0.0.1", "--porta", QString::number(s.porta), "--sim"};
        QCOMPARE(Rodar(entrega + QStringList{"J.MOV"}, {}, pasta).status, 0);

        // Writes fail once a file passes 2 KB instead of the tool being killed.
        const QString ferramenta = qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/transmitir/zelta-transmitir";
        const Execucao cheio = Rodar({"-c", "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"", ferramenta, "--recibos",
                                     "recibos", "--servidor", "127.0.0.1", "--porta", QString::number(s.porta), "--sim",
                                     "J.MOV"},
                                    {}, pasta, "/bin/sh");
        QVERIFY2(cheio.status == 4, qPrintable(cheio.saida + cheio.erros));
        QVERIFY(cheio.saida.contains(QRegularExpression("\nRecibo não gravado: .*\\.pdf - Arquivo grande demais\n")));
        QVERIFY(QDir(pasta + "/recibos").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());

        const Execucao e = Rodar(entrega + QStringList{"--recibos", "recibos", "J.MOV"}, {}, pasta);
        QVERIFY2(e.status == 0, qPrintable(e.saida + e.erros));
        QVERIFY(e.saida.contains(QRegularExpression("\nJ.MOV +EMPRESA J +03/2024 +Já transmitido, código \\d{8}\n")));
        const Leitura_Historico h = Ler_Historico((pasta + "/Zelta.ret").toStdString());
        QCOMPARE(h.total, 1LL);
        const QString pdf = pasta + "/recibos/" + QString::fromStdString(Nome_Arquivo_Recibo(h.entradas[0]));
        QFile f(pdf);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(pdf));
        QVERIFY(f.read(5) == "%PDF-");
    }

    // A file whose name is not valid UTF-8 is opened by its own bytes and named in Windows-1252.
    void nome_nao_utf8()
    {
        Servidor_Local s;
        QVERIFY(QDir().mkpath("estranhos"));
        QVERIFY(QDir::setCurrent("estranhos"));
        Gerar("N\xC7.MOV", "EMPRESA N");
        Gerar("Z.MOV", "EMPRESA Z");
        Gerar("Y.MOV", "EMPRESA Y");
        QVERIFY(QDir::setCurrent(".."));
        const QString pasta = QDir("estranhos").absolutePath();
        const QString ferramenta = qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/transmitir/zelta-transmitir";
        // The name's bytes go from the shell straight to the tool's command line.
        const Execucao e = Rodar({"-c", "exec \"$0\" \"$@\" \"$(printf 'N\\307.MOV')\" Z.MOV Y.MOV", ferramenta,
                                  "--servidor", "127.0.0.1", "--porta", QString::number(s.porta), "--sim",
                                  "--paralelas", "3"},
                                 {}, pasta, "/bin/sh");
        QVERIFY2(e.status == 0, qPrintable(e.saida + e.erros));
        QVERIFY2(e.saida.contains(QRegularExpression("\nNÇ.MOV +EMPRESA N +03/2024 +Aceito, código \\d{8}\n")),
                 qPrintable(e.saida));
        QVERIFY(e.saida.contains(QRegularExpression("\nZ.MOV +EMPRESA Z +03/2024 +Aceito, código \\d{8}\n")));
        QVERIFY(e.saida.contains(QRegularExpression("\nY.MOV +EMPRESA Y +03/2024 +Aceito, código \\d{8}\n")));
        const Leitura_Historico h = Ler_Historico((pasta + "/Zelta.ret").toStdString());
        QCOMPARE(h.total, 3LL);
        QVERIFY(std::any_of(h.entradas.begin(), h.entradas.end(),
                            [](const std::string &r) { return Recibo::Nome_Arquivo(r).find("N\xC7.MOV") != std::string::npos; }));
    }

    // On an 80-column terminal (a pseudo-terminal made by script(1)) the summary fits: the company
    // column gives way to the longest result, and each row stays on one line.
    void resumo_em_terminal_de_80_colunas()
    {
        Servidor_Local s;
        Gerar("L.MOV", "EMPRESA DE NOME BEM COMPRIDO LTDA");
        Gerar("NV80.MOV", "EMPRESA NV", false);
        const QString ferramenta = qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/transmitir/zelta-transmitir";
        const QString comando = QString("stty cols 80 rows 24; '%1' --servidor 127.0.0.1 --porta %2 --sim %3")
                                    .arg(ferramenta).arg(s.porta);
        for (const QString &arquivos : {QString("L.MOV"), QString("L.MOV NV80.MOV")}) {
            QProcess p;
            p.start("script", {"-qec", comando.arg(arquivos), "/dev/null"});
            p.closeWriteChannel(); // script(1) waits for the end of its input before it ends
            QVERIFY(p.waitForFinished(60000));
            const QString saida = QString::fromLocal8Bit(p.readAllStandardOutput()).remove('\r');
            const qsizetype inicio = saida.lastIndexOf("Arquivo      Empresa"); // after the bars' erasing
            QVERIFY2(inicio >= 0, qPrintable(saida));
            const QStringList linhas = saida.mid(inicio).split('\n', Qt::SkipEmptyParts);
            QCOMPARE(linhas.size(), int(arquivos.count(' ')) + 2); // heading, rows, the count of receipts or none
            for (const QString &l : linhas)
                QVERIFY2(l.size() <= 80, qPrintable(QString("%1 colunas: %2").arg(l.size()).arg(l)));
            QVERIFY2(linhas[1].contains(QRegularExpression("^L.MOV +EMPRESA DE NOME BEM +[^ ].* 03/2024 +(Aceito|Já transmitido), código \\d{8}$")),
                     qPrintable(linhas[1]));
        }
    }

    // The summary table prints every row: a company name holding a NUL and a control byte shows
    // them as blanks, and the rows after it follow.
    void resumo_com_bytes_de_controle()
    {
        std::FILE *f = std::tmpfile();
        QVERIFY(f);
        std::vector<Resultado_Entrega> r(3);
        for (Resultado_Entrega &e : r)
            e.situacao = Situacao_Entrega::Aceita;
        r[0].declaracao.Razao_Social = "EMPRESA A";
        r[1].declaracao.Razao_Social = std::string("EMPRESA\0Z\x01X", 11);
        r[2].declaracao.Razao_Social = "EMPRESA Y";
        Painel(f, false, {"A.MOV", "Z.MOV", "Y.MOV"}).Resumo(r);
        QByteArray saida(4096, '\0');
        std::rewind(f);
        saida.resize(static_cast<qsizetype>(std::fread(saida.data(), 1, static_cast<size_t>(saida.size()), f)));
        std::fclose(f);
        QVERIFY(!saida.contains('\0'));
        const QStringList linhas = QString::fromUtf8(saida).split('\n');
        QCOMPARE(linhas.size(), 5); // the heading, three rows, the end
        QVERIFY(linhas[2].startsWith("Z.MOV        EMPRESA Z X "));
        QVERIFY(linhas[3].startsWith("Y.MOV        EMPRESA Y "));
    }

    void ctrl_c_nao_inicia_mais_arquivos()
    {
        Servidor_Local s;
        QFile::remove("Zelta.ret");
        Gerar("C1.MOV", "EMPRESA C1");
        Gerar("C2.MOV", "EMPRESA C2");
        Gerar("C3.MOV", "EMPRESA C3");
        QProcess p;
        p.start(qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/transmitir/zelta-transmitir",
                {"--servidor", "127.0.0.1", "--porta", QString::number(s.porta), "--sim", "C1.MOV", "C2.MOV", "C3.MOV"});
        QVERIFY(p.waitForStarted(10000));
        // Interrupted once the first file's only block has gone: it still takes its reply.
        QByteArray saida;
        while (!saida.contains("C1.MOV: bloco 1 de 1 enviado") && p.waitForReadyRead(30000))
            saida += p.readAllStandardOutput();
        QVERIFY(saida.contains("C1.MOV: bloco 1 de 1 enviado"));
        ::kill(static_cast<pid_t>(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(60000));
        saida += p.readAllStandardOutput();
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("Interrompido"));
        const QString texto = QString::fromLocal8Bit(saida);
        QVERIFY2(texto.contains(QRegularExpression("\nC1.MOV +EMPRESA C1 +03/2024 +Aceito, código \\d{8}\n")),
                 qPrintable(texto));
        // Never started, yet its company and competence are read for the summary.
        for (const char *nome : {"C2", "C3"})
            QVERIFY(texto.contains(QRegularExpression(QString("\n%1.MOV +EMPRESA %1 +03/2024 +Não transmitido \\(interrompido\\)\n").arg(nome))));
        QFile h("Zelta.ret");
        QVERIFY(h.open(QIODevice::ReadOnly));
        QCOMPARE(h.size(), qint64(181)); // one whole line
    }
};

QTEST_GUILESS_MAIN(TstFerramentaTransmitir)
#include "tst_ferramenta_transmitir.moc"
