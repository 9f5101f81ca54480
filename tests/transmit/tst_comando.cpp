// The transmit command run whole: a window without widgets, the real socket and zip components,
// a fast clock, and the local reception server on loopback.
#include "Janela_Teste.h"
#include "Servidor_Local.h"

#include "gui/cis/CIS_000.h"
#include "engine/history/Historico.h"
#include "engine/receipt/Registro_Recibo.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/RoteiroMensagens.h"
#include "engine/transmit/Comando_Transmitir.h"
#include "engine/transmit/Mensagens.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <random>

namespace {
// A zip component that writes an "archive" of an exact size (the server is told what to answer).
class Zip_Tamanho : public Zip {
public:
    explicit Zip_Tamanho(int64_t n) : tamanho(n) {}
    Resultado_Zip Compactar() override
    {
        std::mt19937 g(7);
        std::string bytes(static_cast<size_t>(tamanho), '\0');
        for (char &c : bytes)
            c = static_cast<char>(g());
        QFile f(QString::fromStdString(Arquivo_Zip));
        return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), tamanho) == tamanho ? Resultado_Zip::Gravado
                                                                                  : Resultado_Zip::Falha_Gravar;
    }
    int64_t tamanho;
};

class Zip_Falho : public Zip {
public:
    Resultado_Zip Compactar() override { return Resultado_Zip::Falha_Gravar; }
};

const QString Recibo_Fixo = QStringLiteral("00001234515012004090507");
} // namespace

class TstComando : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    QString anterior_;

    Ajustes_Transmissao Ajustes(uint16_t porta)
    {
        Ajustes_Transmissao a;
        a.servidor = "127.0.0.1";
        a.porta = porta;
        return a;
    }

    void Preparar(Janela_Teste &j, const std::string &nome = "DECL.MOV")
    {
        Preparar(j, Declaracao_Padrao(nome));
    }

    void Preparar(Janela_Teste &j, const Opcoes_Geracao &o)
    {
        Gerar_Arquivo(o);
        j.nome = o.saida;
        j.pasta = QDir::currentPath().toStdString();
    }

    static int Linhas_Historico()
    {
        return Historico_Existe() ? static_cast<int>(Ler_Historico().total) : 0;
    }

    // Runs one press against a server with these options; returns the messages shown.
    QStringList Transmitir(Janela_Teste &j, const servidor::Opcoes &o, RoteiroMensagens &r)
    {
        Servidor_Local s(o);
        Relogio_Rapido relogio(j.socket.get());
        Comando_Transmitir c(j, relogio, Ajustes(s.porta));
        c.cmdTransmitir_Click(j.Escolha());
        return r.textos();
    }

private slots:
    void init()
    {
        QVERIFY(pasta_.isValid());
        QDir d(pasta_.path());
        d.removeRecursively();
        QDir().mkpath(pasta_.path());
        anterior_ = QDir::currentPath();
        QDir::setCurrent(pasta_.path());
        Dados_Recibo.clear();
    }
    void cleanup() { QDir::setCurrent(anterior_); }

    void sem_arquivo_e_recusas_nao_mudam_a_janela()
    {
        RoteiroMensagens r;
        Janela_Teste j;
        Relogio_Rapido relogio(j.socket.get());
        Comando_Transmitir c(j, relogio, Ajustes(1));
        c.cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos(), QStringList{Mensagem_01});
        QCOMPARE(j.log, QStringList{"foco filList"});

        Opcoes_Geracao nao_validado = Declaracao_Padrao("NOVAL.MOV");
        nao_validado.validar = false;
        Preparar(j, nao_validado);
        c.cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos().last(), Mensagem_15);

        Preparar(j);
        Alterar_Depois_Da_Validacao("DECL.MOV");
        c.cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos().last(), Mensagem_16);

        Preparar(j); // valid again: "Não" at the confirmation changes nothing either
        c.cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos().last(), Mensagem::Confirmacao_03);
        QCOMPARE(r.vistas().back().botoes, Botoes::SimNao);
        for (const auto &[controle, estado] : j.controles)
            QVERIFY(estado.habilitado);
        QVERIFY(!j.fechada);
        QVERIFY(!QFile::exists("Arqzip.zip"));
    }

    void entrega_aceita_chega_ao_estado_de_recibo()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Opcoes_Geracao m = Declaracao_Padrao("ABC.MOV");
        m.movimentos = 3;
        m.pis_zerados = 1;
        Preparar(j, m);
        const QStringList vistas = Transmitir(j, {}, r);
        QCOMPARE(vistas, QStringList{Mensagem::Confirmacao_03});
        QVERIFY(!j.fechada);
        QCOMPARE(j.progresso, (QStringList{"0% transmitido", "100% transmitido", "Aguardando resposta do servidor..."}));

        // Receipt state.
        QCOMPARE(j.controles[Controle::cmdTransmitir].legenda, QString("Visualizar"));
        QVERIFY(j.controles[Controle::cmdTransmitir].habilitado);
        QVERIFY(j.controles[Controle::cmdSair].habilitado);
        for (Controle c : {Controle::filList, Controle::dirList, Controle::drvList, Controle::txtTipoArq})
            QVERIFY(!j.controles[c].habilitado);
        QVERIFY(!j.controles[Controle::txtPercentual].visivel);
        QVERIFY(!j.controles[Controle::Text1].visivel);
        for (Controle c : {Controle::Label2, Controle::Label3, Controle::cmb_print, Controle::Label13, Controle::cmdImprimir})
            QVERIFY(j.controles[c].visivel);
        QCOMPARE(j.altura, 5532);
        QCOMPARE(j.controles[Controle::cmdTransmitir].topo, 4680);
        QCOMPARE(j.controles[Controle::cmdSair].topo, 4680);
        QCOMPARE(j.controles[Controle::Label1].topo, 3960);

        // The record: one history line, the current receipt, the code on the label.
        QCOMPARE(Linhas_Historico(), 1);
        const std::string rec = Ler_Historico().entradas.at(0);
        QCOMPARE(rec, Dados_Recibo);
        QCOMPARE(rec.size(), size_t(179));
        QCOMPARE(Recibo::Nome_Arquivo(rec), std::string("     ABC.MOV"));
        QCOMPARE(Recibo::Tipo_Arquivo(rec), std::string("1"));
        QCOMPARE(Recibo::Razao_Social(rec).substr(0, 20), std::string("EMPRESA EXEMPLO LTDA"));
        QCOMPARE(Recibo::Total(rec, 2), std::string("     3"));
        QCOMPARE(Recibo::Total(rec, 3), std::string("     5"));
        QCOMPARE(Recibo::Total(rec, 5), std::string("     1"));
        QCOMPARE(j.controles[Controle::Label3].legenda,
                 QString("Código do Recebimento: ") + QString::fromStdString(Recibo::Codigo_Recebimento(rec)));
        QVERIFY(!QFile::exists("Arqzip.zip"));

        // A second press previews, without any network activity.
        j.log.clear();
        Relogio_Rapido relogio(j.socket.get());
        Comando_Transmitir c(j, relogio, Ajustes(1));
        c.cmdTransmitir_Click(j.Escolha());
        QCOMPARE(j.log, QStringList{"visualizar"});
    }

    void mesma_declaracao_outra_vez_e_ja_transmitida()
    {
        RoteiroMensagens r;
        servidor::Opcoes o;
        Servidor_Local s(o);
        auto pressionar = [&](Janela_Teste &j) {
            Relogio_Rapido relogio(j.socket.get());
            Comando_Transmitir(j, relogio, Ajustes(s.porta)).cmdTransmitir_Click(j.Escolha());
        };
        r.responder(Resposta::Sim);
        Janela_Teste primeira;
        Preparar(primeira);
        pressionar(primeira);
        QCOMPARE(Linhas_Historico(), 1);
        const std::string codigo = Recibo::Codigo_Recebimento(Ler_Historico().entradas[0]);

        // Already in the history: nothing is appended; "Não" shows no reprint window.
        r.responder(Resposta::Sim);
        r.responder(Resposta::Nao);
        Janela_Teste segunda;
        Preparar(segunda);
        pressionar(segunda);
        QVERIFY(r.textos().last().startsWith("08 - Este arquivo já foi transmitido anteriormente.\rCom o Código de Recebimento "
                                             + QString::fromStdString(codigo) + " em "));
        QCOMPARE(r.vistas().back().botoes, Botoes::SimNao);
        QCOMPARE(r.vistas().back().icone, Icone::Exclamacao);
        QCOMPARE(r.vistas().front().icone, Icone::Pergunta); // the confirmation before it
        QVERIFY(segunda.fechada);
        QVERIFY(!segunda.log.contains("reimpressao " + QString::fromStdString(codigo)));
        QCOMPARE(Linhas_Historico(), 1);

        // Missing from the history: one line is appended, and "Sim" opens the reprint window.
        QFile::remove("Zelta.ret");
        r.responder(Resposta::Sim);
        r.responder(Resposta::Sim);
        Janela_Teste terceira;
        Preparar(terceira);
        pressionar(terceira);
        // The reprint window is asked to pick the entry of this delivery.
        QVERIFY(terceira.log.contains("reimpressao " + QString::fromStdString(codigo)));
        QVERIFY(terceira.fechada);
        QCOMPARE(Linhas_Historico(), 1);
        QCOMPARE(Recibo::Codigo_Recebimento(Ler_Historico().entradas[0]), codigo);
    }

    void respostas_que_recusam_fecham_a_janela_data()
    {
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("mensagem");
        QTest::newRow("9") << "9" << Mensagem::Abortada_06;
        QTest::newRow("8") << "8" << Mensagem::Descompactacao_07;
        QTest::newRow("6") << "6032024" << Mensagem::Competencia_Anterior_17;
        QTest::newRow("5") << "5082024"
                           << "18 - Transferência cancelada. O arquivo enviado é da competência 03/2024. "
                              "Estamos recebendo arquivos referentes ao mês 08 e ano 2024";
    }

    void respostas_que_recusam_fecham_a_janela()
    {
        QFETCH(QString, resposta);
        QFETCH(QString, mensagem);
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        o.resposta_fixa = resposta.toStdString();
        const QStringList vistas = Transmitir(j, o, r);
        QCOMPARE(vistas, (QStringList{Mensagem::Confirmacao_03, mensagem}));
        QVERIFY(j.fechada);
        QVERIFY(!Historico_Existe());
        QVERIFY(Dados_Recibo.empty());
        QVERIFY(!QFile::exists("Arqzip.zip"));
    }

    void competencia_recusada_pelo_servidor()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        o.competencia.aceita = "082024";
        Transmitir(j, o, r);
        QVERIFY(r.textos().last().endsWith("referentes ao mês 08 e ano 2024"));
        QVERIFY(j.fechada);
    }

    void sem_resposta_pergunta_05()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);  // 03
        r.responder(Resposta::Sim);  // 05: keep waiting
        r.responder(Resposta::Nao);  // 05 again: give up
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        o.sem_resposta = true;
        Servidor_Local s(o);
        Relogio_Rapido relogio;
        Comando_Transmitir(j, relogio, Ajustes(s.porta)).cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos(), (QStringList{Mensagem::Confirmacao_03, Mensagem::Demora_05, Mensagem::Demora_05,
                                          Mensagem::Abortada_06}));
        // 3 + 5 seconds after the last block, then 21 pauses of 5 seconds before each question.
        QVERIFY(relogio.pausado >= 8 + 2 * 21 * 5 && relogio.pausado <= 10 + 2 * 21 * 6);
        QVERIFY(j.fechada);
        QVERIFY(!Historico_Existe());
    }

    void falhas_de_rede_data()
    {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("inicio");
        QTest::newRow("host desconhecido") << "host" << "12 - ";
        QTest::newRow("recusada") << "recusada" << "10 - ";
        QTest::newRow("reset no envio") << "reset" << "11 - ";
        QTest::newRow("servidor fecha sem responder") << "fecha" << "11 - ";
        QTest::newRow("nome de 13 caracteres") << "nome" << "Erro não tratado: 5  -  ";
    }

    void falhas_de_rede()
    {
        QFETCH(QString, caso);
        QFETCH(QString, inicio);
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j, caso == "nome" ? "ABCDEFGHI.MOV" : "DECL.MOV");
        servidor::Opcoes o;
        if (caso == "reset")
            o.reset_apos = 1;
        if (caso == "fecha")
            o.fechar_apos = 1;
        Servidor_Local s(o);
        Ajustes_Transmissao a = Ajustes(s.porta);
        if (caso == "host")
            a.servidor = "servidor-zelta.invalid";
        if (caso == "recusada") {
            Servidor_Local outro;
            a.porta = outro.porta; // a port that was listening and is closed by now
        }
        j.zip = std::make_unique<Zip_Tamanho>(caso == "reset" ? 2500 : 800);
        Relogio_Rapido relogio(j.socket.get());
        Comando_Transmitir(j, relogio, a).cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos().size(), 2);
        QVERIFY2(r.textos().last().startsWith(inicio), qPrintable(r.textos().last()));
        QVERIFY(r.textos().last().size() > inicio.size() || inicio.endsWith("- "));
        if (caso == "nome") // the description in the user's language
            QCOMPARE(r.textos().last(), QString("Erro não tratado: 5  -  Argumento inválido"));
        QVERIFY(j.fechada);
        QVERIFY(!j.socket->Conectado());
        QVERIFY(!Historico_Existe());
        QVERIFY(Dados_Recibo.empty());
    }

    void tamanhos_do_arquivo_compactado_data()
    {
        QTest::addColumn<int>("tamanho");
        QTest::addColumn<bool>("pergunta_04");
        QTest::addColumn<QStringList>("progresso");
        QTest::newRow("1000") << 1000 << false << QStringList{"0% transmitido", "100% transmitido"};
        QTest::newRow("1001") << 1001 << false << QStringList{"0% transmitido", "50% transmitido", "100% transmitido"};
        QTest::newRow("2000") << 2000 << false << QStringList{"0% transmitido", "50% transmitido", "100% transmitido"};
        QTest::newRow("3 blocos") << 2001 << false
                                  << QStringList{"0% transmitido", "33% transmitido", "66% transmitido", "99% transmitido"};
        QTest::newRow("13000") << 13000 << false << QStringList{};
        QTest::newRow("13001") << 13001 << true << QStringList{};
        QTest::newRow("101 blocos") << 100500 << true << QStringList{};
    }

    void tamanhos_do_arquivo_compactado()
    {
        QFETCH(int, tamanho);
        QFETCH(bool, pergunta_04);
        QFETCH(QStringList, progresso);
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        j.zip = std::make_unique<Zip_Tamanho>(tamanho);
        servidor::Opcoes o;
        o.resposta_fixa = Recibo_Fixo.toStdString();
        Transmitir(j, o, r);
        QCOMPARE(r.textos().contains(Mensagem::Tamanho_04), pergunta_04);
        j.progresso.removeAll("Aguardando resposta do servidor...");
        const int blocos = (tamanho + 999) / 1000;
        QCOMPARE(j.progresso.size(), blocos + 1);
        if (!progresso.isEmpty())
            QCOMPARE(j.progresso, progresso);
        if (blocos > 100)
            QCOMPARE(j.progresso.count("0% transmitido"), blocos + 1);
        QCOMPARE(j.controles[Controle::Label3].legenda, QString("Código do Recebimento: 00012345"));
        QCOMPARE(Recibo::Data_Transmissao(Dados_Recibo), std::string("20040115"));
        QCOMPARE(Recibo::Hora_Transmissao(Dados_Recibo), std::string("090507"));
    }

    void nao_ao_04_fecha_sem_enviar()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        r.responder(Resposta::Nao);
        Janela_Teste j;
        Preparar(j);
        j.zip = std::make_unique<Zip_Tamanho>(13001);
        servidor::Opcoes o;
        o.resposta_fixa = Recibo_Fixo.toStdString();
        Transmitir(j, o, r);
        QCOMPARE(r.textos().last(), Mensagem::Tamanho_04);
        QVERIFY(j.fechada);
        QVERIFY(j.progresso.isEmpty());
        QVERIFY(QFile::exists("Arqzip.zip")); // left for the next transmission to delete
        QVERIFY(QFile::remove("Arqzip.zip")); // and closed: removable
    }

    void compactacao_falha()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        j.zip = std::make_unique<Zip_Falho>();
        Relogio_Rapido relogio(j.socket.get());
        Comando_Transmitir(j, relogio, Ajustes(1)).cmdTransmitir_Click(j.Escolha());
        QCOMPARE(r.textos().last(), QString("Erro na compactação do arquivo."));
        QCOMPARE(r.vistas().back().icone, Icone::Informacao);
        QVERIFY(j.fechada);
    }

    void resposta_curta_ao_ultimo_bloco_e_recibo()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        o.resposta_fixa = "OK";
        Transmitir(j, o, r);
        QVERIFY(!j.fechada);
        QCOMPARE(j.controles[Controle::cmdTransmitir].legenda, QString("Visualizar"));
        QCOMPARE(Dados_Recibo.size(), size_t(179));
        QCOMPARE(Linhas_Historico(), 1);
    }

    void historico_que_nao_grava_ainda_mostra_o_recibo()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        QVERIFY(QDir().mkdir("Zelta.ret")); // a folder in the way: the append fails
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        o.resposta_fixa = Recibo_Fixo.toStdString();
        Transmitir(j, o, r);
        QCOMPARE(r.textos().size(), 2);
        QVERIFY(r.textos().last().contains("\"Zelta.ret\""));
        QCOMPARE(j.controles[Controle::cmdTransmitir].legenda, QString("Visualizar"));
        QCOMPARE(Recibo::Codigo_Recebimento(Dados_Recibo), std::string("00012345"));
    }

    void codigo_que_nao_e_numero_e_zero()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        o.resposta_fixa = "0AB\x01\x7F""EFGH15012004090507";
        Transmitir(j, o, r);
        QCOMPARE(j.controles[Controle::Label3].legenda, QString("Código do Recebimento: 00000000"));
        QCOMPARE(Recibo::Codigo_Recebimento(Dados_Recibo), std::string("00000000"));
        QCOMPARE(Recibo::Codigo_Recebido(Dados_Recibo), std::string("AB  EFGH"));
    }

    void relogio_real_respeita_as_pausas()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        Janela_Teste j;
        Preparar(j);
        servidor::Opcoes o;
        Servidor_Local s(o);
        Relogio_Sistema relogio;
        QElapsedTimer t;
        t.start();
        Comando_Transmitir(j, relogio, Ajustes(s.porta)).cmdTransmitir_Click(j.Escolha());
        const qint64 ms = t.elapsed();
        // One block: 3 to 4 seconds, then 5 to 6 seconds, then the first poll finds the reply.
        QVERIFY2(ms >= 7500 && ms <= 11500, qPrintable(QString::number(ms)));
        QCOMPARE(j.controles[Controle::cmdTransmitir].legenda, QString("Visualizar"));
    }
};

QTEST_MAIN(TstComando)
#include "tst_comando.moc"
