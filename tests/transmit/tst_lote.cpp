// Batch delivery: the transmit command driven by the batch's answers, against the local
// reception server with a fast clock, one file after another and several at once.
#include "Relogio_Rapido.h"
#include "Servidor_Local.h"

#include "engine/history/Historico.h"
#include "engine/receipt/Registro_Recibo.h"
#include "tests/common/Declaracao_Teste.h"
#include "engine/transmit/Lote.h"
#include "engine/transmit/Mensagens.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#ifdef _WIN32
#include <thread>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
std::string Gerar(const std::string &nome, const std::string &empresa, bool validar = true)
{
    Opcoes_Geracao o = Declaracao_Padrao(nome);
    o.razao_social = empresa;
    o.validar = validar;
    Gerar_Arquivo(o);
    return nome;
}

struct Registro_Eventos {
    std::vector<Evento_Entrega> eventos; // texts and counts; the result pointers are not kept
    void operator()(const Evento_Entrega &e)
    {
        eventos.push_back(e);
        eventos.back().resultado = nullptr;
    }
    QStringList Mensagens(size_t indice) const
    {
        QStringList m;
        for (const Evento_Entrega &e : eventos)
            if (e.indice == indice && e.tipo == Evento_Entrega::Mensagem)
                m << e.texto;
        return m;
    }
};

long long Linhas_Historico() { return Historico_Existe() ? Ler_Historico().total : 0; }
} // namespace

class TstLote : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    QString anterior_;
    std::atomic<bool> nunca_{false};

    static Ajustes_Lote Ajustes(uint16_t porta, int paralelas = 1)
    {
        Ajustes_Lote a;
        a.servidor = "127.0.0.1";
        a.porta = porta;
        a.paralelas = paralelas;
        a.novo_relogio = [](Socketout &s) { return std::make_unique<Relogio_Rapido>(&s); };
        return a;
    }

    std::vector<Resultado_Entrega> Lote(const std::vector<std::string> &arquivos, const Ajustes_Lote &a,
                                        Registro_Eventos *eventos = nullptr)
    {
        Registro_Eventos descartados;
        Registro_Eventos &r = eventos ? *eventos : descartados;
        return Transmitir_Lote(arquivos, a, [&](const Evento_Entrega &e) { r(e); }, nunca_);
    }

private slots:
    void init()
    {
        QVERIFY(pasta_.isValid());
        QDir(pasta_.path()).removeRecursively();
        QDir().mkpath(pasta_.path());
        anterior_ = QDir::currentPath();
        QDir::setCurrent(pasta_.path());
    }
    void cleanup() { QDir::setCurrent(anterior_); }

    void aceitas_recusadas_pelas_verificacoes_e_ja_entregues()
    {
        Servidor_Local s;
        const std::vector<std::string> arquivos{Gerar("A.MOV", "EMPRESA A"), Gerar("NV.MOV", "EMPRESA N", false),
                                                Gerar("B.MOV", "EMPRESA B")};
        Registro_Eventos ev;
        const auto r = Lote(arquivos, Ajustes(s.porta), &ev);
        QCOMPARE(r.size(), size_t(3));
        QCOMPARE(r[0].situacao, Situacao_Entrega::Aceita);
        QCOMPARE(r[1].situacao, Situacao_Entrega::Recusada);
        QCOMPARE(r[1].mensagem, Mensagem_15);
        QCOMPARE(Texto_Resultado(r[1]), QString("Recusado (mensagem 15)"));
        QVERIFY(Texto_Resultado(r[0]).startsWith("Aceito, código "));
        QCOMPARE(r[2].situacao, Situacao_Entrega::Aceita); // the batch went on after the refusal
        QVERIFY(!Lote_Bem_Sucedido(r));

        // The records are the history's lines; the declaration read is reported for the summary.
        const Leitura_Historico h = Ler_Historico();
        QCOMPARE(h.total, 2);
        QCOMPARE(h.entradas[0], r[0].registro);
        QCOMPARE(h.entradas[1], r[2].registro);
        QCOMPARE(Recibo::Codigo_Recebimento(r[0].registro), r[0].codigo);
        QCOMPARE(r[2].declaracao.Razao_Social.substr(0, 9), std::string("EMPRESA B"));
        QCOMPARE(r[2].declaracao.Mes_Competencia + r[2].declaracao.Ano_Competencia, std::string("032024"));

        // Progress: block counts and the wait for the reply; 03 was the driver's to ask.
        QVERIFY(ev.Mensagens(0).isEmpty());
        QCOMPARE(ev.Mensagens(1), QStringList{Mensagem_15});
        int blocos = 0, aguardando = 0;
        for (const Evento_Entrega &e : ev.eventos)
            if (e.indice == 0) {
                blocos += e.tipo == Evento_Entrega::Bloco && e.bloco == e.total;
                aguardando += e.tipo == Evento_Entrega::Aguardando;
            }
        QCOMPARE(blocos, 1);
        QCOMPARE(aguardando, 1);

        // Again: message 08, answered without the reprint window, and nothing appended.
        Registro_Eventos ev2;
        const auto de_novo = Lote({arquivos[0], arquivos[2]}, Ajustes(s.porta), &ev2);
        QCOMPARE(de_novo[0].situacao, Situacao_Entrega::Ja_Entregue);
        QCOMPARE(de_novo[0].codigo, r[0].codigo);
        QVERIFY(ev2.Mensagens(0).value(0).startsWith("08 - "));
        QCOMPARE(ev2.eventos.back().tipo, Evento_Entrega::Fim);
        QVERIFY(Lote_Bem_Sucedido(de_novo));
        QCOMPARE(Linhas_Historico(), 2);

        // Missing from the history: the delivery made before is recorded.
        QVERIFY(QFile::remove("Zelta.ret"));
        const auto sem_historico = Lote({arquivos[2]}, Ajustes(s.porta));
        QCOMPARE(sem_historico[0].situacao, Situacao_Entrega::Ja_Entregue);
        QCOMPARE(Ler_Historico().entradas, std::vector<std::string>{sem_historico[0].registro});
        QCOMPARE(Recibo::Codigo_Recebimento(sem_historico[0].registro), r[2].codigo);
    }

    // Copies of one declaration delivered at once: the server accepts one and answers 08 to the
    // others; the code is recorded once, also when every copy finds it missing from the history.
    void copias_no_mesmo_lote_registradas_uma_vez()
    {
        Servidor_Local s;
        Gerar("F.MOV", "EMPRESA F");
        QVERIFY(QFile::copy("F.MOV", "G.MOV"));
        const std::vector<std::string> copias{"F.MOV", "G.MOV", "F.MOV", "G.MOV"};
        for (int rodada = 0; rodada < 3; ++rodada) {
            QFile::remove("Zelta.ret");
            const auto r = Lote(copias, Ajustes(s.porta, 4));
            std::set<std::string> codigos;
            int aceitas = 0;
            for (const Resultado_Entrega &e : r) {
                QVERIFY(e.situacao == Situacao_Entrega::Aceita || e.situacao == Situacao_Entrega::Ja_Entregue);
                aceitas += e.situacao == Situacao_Entrega::Aceita;
                codigos.insert(e.codigo);
            }
            QCOMPARE(aceitas, rodada == 0 ? 1 : 0);
            QCOMPARE(codigos.size(), size_t(1));
            QCOMPARE(Linhas_Historico(), 1);
        }
    }

    void respostas_que_recusam_data()
    {
        QTest::addColumn<QString>("resposta");
        QTest::addColumn<QString>("mensagem");
        QTest::newRow("9") << "9" << Mensagem::Abortada_06;
        QTest::newRow("8") << "8" << Mensagem::Descompactacao_07;
        QTest::newRow("6") << "6032024" << Mensagem::Competencia_Anterior_17;
        QTest::newRow("5") << "5082024"
                           << "18 - Transferência cancelada. O arquivo enviado é da competência 03/2024. "
                              "Estamos recebendo arquivos referentes ao mês 08 e ano 2024";
        QTest::newRow("curta ao ultimo bloco") << "OK" << QString();
    }

    void respostas_que_recusam()
    {
        QFETCH(QString, resposta);
        QFETCH(QString, mensagem);
        servidor::Opcoes o;
        o.resposta_fixa = resposta.toStdString();
        Servidor_Local s(o);
        const auto r = Lote({Gerar("A.MOV", "EMPRESA A")}, Ajustes(s.porta));
        if (mensagem.isEmpty()) { // no rule matches: the reply counts as the receipt
            QCOMPARE(r[0].situacao, Situacao_Entrega::Aceita);
            QCOMPARE(Linhas_Historico(), 1);
            return;
        }
        QCOMPARE(r[0].situacao, Situacao_Entrega::Recusada);
        QCOMPARE(r[0].mensagem, mensagem);
        QVERIFY(r[0].registro.empty());
        QVERIFY(!Historico_Existe());
    }

    void servidor_calado_espera_ate_o_limite()
    {
        servidor::Opcoes o;
        o.sem_resposta = true;
        Servidor_Local s(o);
        Ajustes_Lote a = Ajustes(s.porta);
        a.espera_maxima_s = 5 * 60; // the 05 questions come about every 110 seconds of waiting
        a.novo_relogio = [](Socketout &) { return std::make_unique<Relogio_Rapido>(); }; // silence is meant
        Registro_Eventos ev;
        const auto r = Lote({Gerar("A.MOV", "EMPRESA A")}, a, &ev);
        QCOMPARE(r[0].situacao, Situacao_Entrega::Incerta); // sent whole, never answered
        QCOMPARE(ev.Mensagens(0), (QStringList{Mensagem::Demora_05, Mensagem::Demora_05, Mensagem::Demora_05,
                                               Mensagem::Abortada_06}));
        QCOMPARE(Texto_Resultado(r[0]), QString("Incerto, verificar (mensagem 06)"));
        std::vector<Resposta> respostas;
        for (const Evento_Entrega &e : ev.eventos)
            if (e.tipo == Evento_Entrega::Mensagem && e.texto == Mensagem::Demora_05)
                respostas.push_back(e.resposta);
        QCOMPARE(respostas, (std::vector<Resposta>{Resposta::Sim, Resposta::Sim, Resposta::Nao}));
        QVERIFY(!Historico_Existe());
    }

    // A limit shorter than twenty pauses: message 05 comes once the limit has passed, within one
    // pause of it, and is answered No.
    void espera_curta_cumprida()
    {
        servidor::Opcoes o;
        o.sem_resposta = true;
        Servidor_Local s(o);
        Ajustes_Lote a = Ajustes(s.porta);
        a.espera_maxima_s = 60;
        Relogio_Rapido *relogio = nullptr;
        a.novo_relogio = [&](Socketout &) {
            auto r = std::make_unique<Relogio_Rapido>();
            relogio = r.get();
            return r;
        };
        Registro_Eventos ev;
        double pausado = -1; // read while the delivery's clock lives
        const auto r = Transmitir_Lote({Gerar("A.MOV", "EMPRESA A")}, a, [&](const Evento_Entrega &e) {
            ev(e);
            if (e.tipo == Evento_Entrega::Mensagem && e.texto == Mensagem::Demora_05)
                pausado = relogio->pausado;
        }, nunca_);
        QCOMPARE(r[0].situacao, Situacao_Entrega::Incerta);
        QCOMPARE(ev.Mensagens(0), (QStringList{Mensagem::Demora_05, Mensagem::Abortada_06}));
        // The pauses after the block (3 s and 5 s) and the 5 s ones while waiting.
        QVERIFY2(pausado >= 60 && pausado <= 65, qPrintable(QString::number(pausado)));
    }

    // A killed batch leaves its folder of archives: the next batch removes the folders of ended
    // processes of ours, and nothing else (a running batch's folder, a link, what a link names).
    void pastas_de_lotes_mortos_removidas()
    {
#ifdef _WIN32
        QSKIP("made of POSIX processes and symbolic links");
#else
        QTemporaryDir temp;
        const QByteArray antes = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        const pid_t morto = ::fork();
        QVERIFY(morto >= 0);
        if (morto == 0)
            ::_exit(0);
        QCOMPARE(::waitpid(morto, nullptr, 0), morto);
        const QDir t(temp.path());
        const QString abandonada = QString("zelta-lote-%1-abc123").arg(morto);
        const QString viva = QString("zelta-lote-%1-def456").arg(::getpid());
        const QString link = QString("zelta-lote-%1-lnk").arg(morto);
        for (const QString &p : {abandonada, viva, QString("alheia/dentro")})
            QVERIFY(t.mkpath(p));
        QFile alheio(t.filePath("alheia/arquivo"));
        QVERIFY(alheio.open(QIODevice::WriteOnly) && alheio.write("x") == 1);
        alheio.close();
        QFile zip(t.filePath(abandonada + "/Arqzip-0.zip"));
        QVERIFY(zip.open(QIODevice::WriteOnly) && zip.write("PK") == 2);
        zip.close();
        QVERIFY(QFile::link(t.filePath("alheia/arquivo"), t.filePath(abandonada + "/link")));
        QVERIFY(QFile::link(t.filePath("alheia"), t.filePath(link)));

        Servidor_Local s;
        const auto r = Lote({Gerar("A.MOV", "EMPRESA A")}, Ajustes(s.porta));
        // The server keeps its data here too.
        QStringList restantes = t.entryList({"zelta-*", "alheia"}, QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System);
        restantes.sort();
        QStringList esperadas{"alheia", viva, link};
        esperadas.sort();
        if (antes.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", antes);
        QCOMPARE(r[0].situacao, Situacao_Entrega::Aceita);
        QCOMPARE(restantes, esperadas);
        QVERIFY(!QFile::exists(t.filePath(abandonada)));
        QVERIFY(QFile::exists(t.filePath("alheia/arquivo")));
        QVERIFY(QDir(t.filePath("alheia/dentro")).exists());
#endif
    }

    void falhas_de_rede_nao_param_o_lote()
    {
        Servidor_Local s;
        Ajustes_Lote a = Ajustes(s.porta);
        a.servidor = "servidor-zelta.invalid";
        const auto r = Lote({Gerar("A.MOV", "EMPRESA A"), Gerar("ABCDEFGHI.MOV", "EMPRESA B")}, a);
        QVERIFY2(r[0].mensagem.startsWith("12 - "), qPrintable(r[0].mensagem));
        QVERIFY(r[1].mensagem.startsWith("12 - "));
        QCOMPARE(r[1].situacao, Situacao_Entrega::Recusada);
        QCOMPARE(Texto_Resultado(r[0]), QString("Falhou (mensagem 12)"));

        servidor::Opcoes reset;
        reset.reset_apos = 1;
        Servidor_Local sr(reset);
        const auto nome_longo = Lote({"ABCDEFGHI.MOV"}, Ajustes(sr.porta));
        QVERIFY(nome_longo[0].mensagem.startsWith("Erro não tratado: 5  -  "));
        QVERIFY(Texto_Resultado(nome_longo[0]).startsWith("Falhou: Erro não tratado: 5  -  "));
        QVERIFY(!Historico_Existe());
    }

    void interrompido_nao_inicia_mais_arquivos()
    {
        Servidor_Local s;
        std::atomic<bool> parar{false};
        std::vector<std::string> arquivos;
        for (int i = 0; i < 4; ++i)
            arquivos.push_back(Gerar("I" + std::to_string(i) + ".MOV", "EMPRESA I" + std::to_string(i)));
        // Stopped as soon as the first file's first block has gone: that delivery still takes
        // its reply; no other file starts.
        const auto r = Transmitir_Lote(arquivos, Ajustes(s.porta), [&](const Evento_Entrega &e) {
            if (e.tipo == Evento_Entrega::Bloco)
                parar = true;
        }, parar);
        QCOMPARE(r[0].situacao, Situacao_Entrega::Aceita);
        for (size_t i = 1; i < r.size(); ++i)
            QCOMPARE(r[i].situacao, Situacao_Entrega::Na_Fila);
        QCOMPARE(Linhas_Historico(), 1);
    }

    void oito_ao_mesmo_tempo_e_outro_programa_no_mesmo_historico()
    {
        Servidor_Local s;
        std::vector<std::string> arquivos;
        for (int i = 0; i < 8; ++i)
            arquivos.push_back(Gerar("P" + std::to_string(i) + ".MOV", "EMPRESA P" + std::to_string(i)));

        // Another program appends to the same history meanwhile (on Windows, another thread with
        // a file handle of its own, which the lock treats alike).
        const std::string alheio(179, 'Z');
        constexpr int Linhas_Alheias = 300;
        auto escrever_alheias = [&alheio] {
            int ok = 0;
            for (int i = 0; i < Linhas_Alheias; ++i) {
                try {
                    Gravar_Historico(alheio);
                    ++ok;
                } catch (...) {
                }
            }
            return ok;
        };
#ifdef _WIN32
        int alheias_gravadas = 0;
        std::thread outro([&] { alheias_gravadas = escrever_alheias(); });
        const auto r = Lote(arquivos, Ajustes(s.porta, 8));
        outro.join();
        QCOMPARE(alheias_gravadas, Linhas_Alheias);
#else
        const pid_t filho = ::fork();
        QVERIFY(filho >= 0);
        if (filho == 0)
            ::_exit(escrever_alheias() == Linhas_Alheias ? 0 : 1);
        const auto r = Lote(arquivos, Ajustes(s.porta, 8));
        int estado = 0;
        QCOMPARE(::waitpid(filho, &estado, 0), filho);
        QVERIFY(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
#endif

        std::multiset<std::string> esperadas;
        for (int i = 0; i < Linhas_Alheias; ++i)
            esperadas.insert(alheio);
        std::set<std::string> codigos;
        for (const Resultado_Entrega &e : r) {
            QCOMPARE(e.situacao, Situacao_Entrega::Aceita);
            esperadas.insert(e.registro);
            codigos.insert(e.codigo);
        }
        QCOMPARE(codigos.size(), size_t(8));
        // Whole lines only, each one written once: 181 bytes apiece on disk.
        QFile f("Zelta.ret");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), qint64(181) * (8 + Linhas_Alheias));
        std::multiset<std::string> lidas;
        while (!f.atEnd()) {
            const QByteArray l = f.readLine();
            QVERIFY(l.endsWith("\r\n"));
            lidas.insert(Decodificar_Linha(l.chopped(2).toStdString()));
        }
        QVERIFY(lidas == esperadas);
    }

    // The outcome's words follow the number of the message that ended the delivery, never digits
    // that merely open its text (a failure's own words may start like a numbered message).
    void palavras_pelo_numero_da_mensagem_data()
    {
        QTest::addColumn<int>("situacao");
        QTest::addColumn<QString>("mensagem");
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("palavras");
        const int recusada = int(Situacao_Entrega::Recusada), incerta = int(Situacao_Entrega::Incerta);
        QTest::newRow("texto com cara de mensagem") << recusada << "42 - recusado pelo servidor\rtente depois" << 0
                                                    << "Falhou: 42 - recusado pelo servidor tente depois";
        QTest::newRow("texto com cara de 06") << recusada << "06 - parado" << 0 << "Falhou: 06 - parado";
        QTest::newRow("incerta com cara de mensagem") << incerta << "11 - conexão caiu" << 0
                                                      << "Incerto, verificar: 11 - conexão caiu";
        QTest::newRow("numerada sem digitos no texto") << recusada << "Competência recusada" << 18
                                                       << "Recusado (mensagem 18)";
        QTest::newRow("07") << recusada << "x" << 7 << "Recusado (mensagem 07)";
        QTest::newRow("06") << recusada << "x" << 6 << "Interrompido (mensagem 06)";
        QTest::newRow("10 via proxy") << recusada << "x" << 10 << "Falhou (mensagem 10)";
        QTest::newRow("incerta 06") << incerta << "x" << 6 << "Incerto, verificar (mensagem 06)";
    }

    void palavras_pelo_numero_da_mensagem()
    {
        QFETCH(int, situacao);
        QFETCH(QString, mensagem);
        QFETCH(int, numero);
        QFETCH(QString, palavras);
        Resultado_Entrega r;
        r.situacao = Situacao_Entrega(situacao);
        r.mensagem = mensagem;
        r.numero_mensagem = numero;
        QCOMPARE(Texto_Resultado(r), palavras);
    }

    // A real refusal carries its number from the reply's judgement.
    void recusa_do_servidor_traz_o_numero()
    {
        servidor::Opcoes o;
        o.resposta_fixa = "5082024";
        Servidor_Local s(o);
        const auto r = Lote({Gerar("A.MOV", "EMPRESA A"), Gerar("NV.MOV", "EMPRESA N", false)}, Ajustes(s.porta));
        QCOMPARE(r[0].numero_mensagem, 18);
        QCOMPARE(r[1].numero_mensagem, 15);
        QCOMPARE(Texto_Resultado(r[0]), QString("Recusado (mensagem 18)"));
    }
};

QTEST_GUILESS_MAIN(TstLote)
#include "tst_lote.moc"
