// The reception server's protocol pieces, without sockets.
#include "tests/tools/Cliente_Teste.h"
#include "tools/servidor/Declaracao.h"
#include "tools/servidor/Fim_Zip.h"
#include "tools/servidor/Log.h"
#include "tools/servidor/Opcoes.h"
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Registro.h"
#include "tools/servidor/Temporario.h"

#include <QtTest>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

using namespace servidor;

class TstServidorProtocolo : public QObject {
    Q_OBJECT
private slots:
    void cabecalho_do_bloco()
    {
        std::string erro;
        auto c = Ler_Cabecalho("1     ABC.MMM0000200005resto", erro);
        QVERIFY(c);
        QCOMPARE(c->tipo, '1');
        QCOMPARE(c->nome, std::string("ABC.MMM"));
        QCOMPARE(c->bloco, 2);
        QCOMPARE(c->total, 5);
        QCOMPARE(Montar_Cabecalho(*c), std::string("1     ABC.MMM0000200005"));
        QVERIFY(Ler_Cabecalho("2ABCDEFGH.MMM3276732767", erro));

        const std::string ruins[] = {
            "1     ABC.MMM000020000",  // short
            "3     ABC.MMM0000200005", // unknown type
            "1            0000100001", // no name
            "1  AB C.MMM 0000100001",  // blank inside the name
            "1     ABC.MMM00x0200005", // not digits
            "1     ABC.MMM-000100005",
            "1     ABC.MMM0000000005", // block 0
            "1     ABC.MMM0000600005", // beyond the total
            "1     ABC.MMM0000132768", // over the 16-bit count
            std::string("1    AB\0C.MMM0000100001", 23), // control bytes would forge or cut log lines
            "1    AB\nC.MMM0000100001",
            "1    AB\x1b" "C.MMM0000100001",
            "1    AB\x7f" "C.MMM0000100001",
        };
        for (const std::string &r : ruins) {
            QCOMPARE(r.size() >= 22, true);
            erro.clear();
            QVERIFY2(!Ler_Cabecalho(r, erro), r.c_str());
            QVERIFY(!erro.empty());
        }
    }

    void montagem_em_ordem()
    {
        Montagem m;
        std::string erro;
        QVERIFY(!m.Aceitar({'1', "A.MMM", 2, 3}, erro)); // must start at block 1
        QVERIFY(m.Aceitar({'1', "A.MMM", 1, 3}, erro));
        QVERIFY(!m.Aceitar({'1', "A.MMM", 3, 3}, erro)); // skips one
        QVERIFY(!m.Aceitar({'1', "B.MMM", 2, 3}, erro)); // another file
        QVERIFY(!m.Aceitar({'1', "A.MMM", 2, 4}, erro)); // another total
        QVERIFY(!m.Aceitar({'2', "A.MMM", 2, 3}, erro)); // another type
        QVERIFY(m.Aceitar({'1', "A.MMM", 2, 3}, erro));
        QVERIFY(!m.Ultimo());
        QVERIFY(m.Aceitar({'1', "A.MMM", 3, 3}, erro));
        QVERIFY(m.Ultimo());
    }

    void fim_do_arquivo_zip()
    {
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 300, "x")}}, true);
        QVERIFY(Zip_Completo(a));
        for (size_t n = 0; n < a.size(); n += 97)
            QVERIFY(!Zip_Completo(std::string_view(a).substr(0, n)));
        QVERIFY(!Zip_Completo(std::string_view(a).substr(0, a.size() - 1)));
        QVERIFY(!Zip_Completo(a + "x"));
        // A record with a comment ends after the comment.
        std::string comentado = a;
        comentado[comentado.size() - 2] = 3;
        QVERIFY(!Zip_Completo(comentado));
        QVERIFY(Zip_Completo(comentado + "abc"));
        QVERIFY(!Zip_Completo(std::string(5000, 'P')));
        // Judged from its last bytes only, knowing the whole size.
        QVERIFY(Zip_Completo(std::string_view(a).substr(a.size() - 100), a.size()));
        QVERIFY(!Zip_Completo(std::string_view(a).substr(a.size() - 100), a.size() + 1));
        QCOMPARE(Entradas_Zip(a, a.size()), 1L);
        const std::string d = Declaracao_Teste("082024", 2, "x");
        QCOMPARE(Entradas_Zip(Zip_Com({{"A", d}, {"B", d}, {"C", d}}), Zip_Com({{"A", d}, {"B", d}, {"C", d}}).size()), 3L);
    }

    // Following the archive's records as its bytes come, one at a time or all at once.
    void fim_do_arquivo_seguido_pelos_registros()
    {
        using E = Fim_Zip::Estado;
        const std::string d = Declaracao_Teste("082024", 40, "f");
        for (const std::string &a : {Zip_Com({{"A.MMM", d}}, true), Zip_Com({{"A.MMM", d}, {"B.MMM", d + "b"}})}) {
            Fim_Zip f;
            for (size_t i = 0; i + 1 < a.size(); ++i) {
                f.Acrescentar(std::string_view(a).substr(i, 1));
                QVERIFY2(f.Situacao() == E::Faltam, std::to_string(i).c_str());
            }
            f.Acrescentar(a.substr(a.size() - 1));
            QVERIFY(f.Situacao() == E::Completo);
            Fim_Zip junto;
            junto.Acrescentar(a);
            QVERIFY(junto.Situacao() == E::Completo);
            junto.Acrescentar("x"); // bytes after the end
            QVERIFY(junto.Situacao() == E::Desconhecido);
        }
        Fim_Zip lixo;
        lixo.Acrescentar("isto não é um zip");
        QVERIFY(lixo.Situacao() == E::Desconhecido);
        // Sizes after the data (flag bit 3): the end cannot be foreseen.
        std::string descritor = Zip_Com({{"A.MMM", d}});
        descritor[6] = char(descritor[6] | 0x08);
        Fim_Zip f;
        f.Acrescentar(std::string_view(descritor).substr(0, 40));
        QVERIFY(f.Situacao() == E::Desconhecido);
    }

    void desempacotar()
    {
        const std::string d = Declaracao_Teste("082024", 50, "y");
        std::string erro;
        QCOMPARE(Desempacotar_Bytes(Zip_Com({{"A.MMM", d}}, true), erro).value_or(""), d);
        QVERIFY(!Desempacotar_Bytes(Zip_Com({{"A.MMM", d}, {"B.MMM", d}}), erro));
        QVERIFY(!Desempacotar_Bytes("isto não é um zip", erro));
        QVERIFY(!erro.empty());
        QVERIFY(!Desempacotar_Bytes(Zip_Com({{"A.MMM", d}}, true), erro, d.size() - 1)); // over the limit
        // Damaged data inside an archive whose directory is intact.
        std::string a = Zip_Com({{"A.MMM", d}});
        a[a.find("MOVIMENTO")] ^= 0x20;
        QVERIFY(Zip_Completo(a));
        QVERIFY(!Desempacotar_Bytes(a, erro));
        // One entry that is no declaration: an empty file, a folder, a link.
        QVERIFY(!Desempacotar_Bytes(Zip_Com({{"A.MMM", ""}}), erro));
        QVERIFY(!Desempacotar_Bytes(Zip_Especial(true), erro));
        QVERIFY(!Desempacotar_Bytes(Zip_Especial(false), erro));
        QVERIFY(!erro.empty());
    }

    // The first bytes, the digest and the quota of what is unpacked.
    void desempacotar_para_arquivo()
    {
        QTemporaryDir dir;
        const std::string d = Declaracao_Teste("092024", 3000, "grande");
        const std::string zip = Zip_Com({{"A.MMM", d}}, true);
        Cota cota(zip.size() + d.size());
        Arquivo_Temporario a(dir.path().toStdString(), cota), destino(dir.path().toStdString(), cota);
        QVERIFY(a.Acrescentar(zip));
        std::string erro;
        auto r = Desempacotar(a, destino, erro);
        QVERIFY2(r, erro.c_str());
        QCOMPARE(r->resumo, QCryptographicHash::hash(QByteArray::fromStdString(d), QCryptographicHash::Sha256)
                                .toHex().toStdString());
        QCOMPARE(Competencia_Declaracao(r->inicio), std::string("092024"));
        QCOMPARE(destino.Tamanho(), uint64_t(d.size()));
        QCOMPARE(cota.Usado(), uint64_t(zip.size() + d.size()));
        Arquivo_Temporario outro(dir.path().toStdString(), cota);
        // No room left: nothing is written, but the digest is there to tell a repeated delivery.
        erro.clear();
        auto sem_espaco = Desempacotar(a, outro, erro);
        QVERIFY(sem_espaco && !sem_espaco->gravada && !erro.empty());
        QCOMPARE(sem_espaco->resumo, r->resumo);
        QCOMPARE(cota.Usado(), uint64_t(zip.size() + d.size()));
    }

    void linhas_do_log_escapadas()
    {
        static const char linha[] = "A\nforjada\0B\x1b\x7f\\ Ç";
        QCOMPARE(Escapar_Log(std::string(linha, sizeof linha - 1)),
                 std::string("A\\x0Aforjada\\x00B\\x1B\\x7F\\\\ Ç"));
    }

    void competencia()
    {
        QCOMPARE(Competencia_Declaracao(Declaracao_Teste("082024", 1, "")), std::string("082024"));
        QCOMPARE(Competencia_Declaracao("1123456780820"), std::string());
        QCOMPARE(Competencia_Declaracao("112345678132024xx"), std::string()); // month 13

        const std::string ago = Declaracao_Teste("082024", 1, ""), jul = Declaracao_Teste("072024", 1, ""),
                          set = Declaracao_Teste("092024", 1, ""), dez_antes = Declaracao_Teste("122023", 1, "");
        Politica_Competencia todas;
        QCOMPARE(Julgar_Competencia(todas, '1', jul), std::string());
        QCOMPARE(Julgar_Competencia(todas, '1', "curta"), std::string());

        Politica_Competencia p{"082024", false};
        QCOMPARE(Julgar_Competencia(p, '1', ago), std::string());
        QCOMPARE(Julgar_Competencia(p, '1', jul), std::string("5082024"));
        QCOMPARE(Julgar_Competencia(p, '1', set), std::string("5082024"));
        QCOMPARE(Julgar_Competencia(p, '1', "curta"), std::string("5082024"));
        QCOMPARE(Julgar_Competencia(p, '2', dez_antes), std::string()); // adjustment of an older month
        QCOMPARE(Julgar_Competencia(p, '2', set), std::string("5082024"));

        p.anterior_como_acerto = true;
        QCOMPARE(Julgar_Competencia(p, '1', dez_antes), std::string("6082024")); // compares year first
        QCOMPARE(Julgar_Competencia(p, '1', set), std::string("5082024"));
    }

    void opcoes()
    {
        std::string erro;
        auto o = Ler_Opcoes({"--porta", "0", "--dados", "/tmp/x", "--competencia", "082024",
                             "--competencia-anterior", "--resposta-partida", "250", "--reset-apos", "3"}, erro);
        QVERIFY(o);
        QCOMPARE(o->porta, uint16_t(0));
        QCOMPARE(o->dados, std::string("/tmp/x"));
        QCOMPARE(o->competencia.aceita, std::string("082024"));
        QVERIFY(o->competencia.anterior_como_acerto);
        QCOMPARE(o->resposta_partida_ms, 250);
        QCOMPARE(o->reset_apos, 3);
        o = Ler_Opcoes({"--cota-dados=5", "--tempo-conexao", "9000", "--maximo-clientes", "7", "--sem-resposta",
                        "--tempo-ocioso", "1234", "--escuta", "::1", "--cota-envios", "2", "--log-maximo", "16"}, erro);
        QVERIFY2(o, erro.c_str());
        QCOMPARE(o->cota_dados, uint64_t(5) << 20);
        QCOMPARE(o->cota_envios, uint64_t(2) << 20);
        QCOMPARE(o->log_maximo, uint64_t(16) << 10);
        QCOMPARE(Ler_Opcoes({"--pausa-cliente", "700"}, erro)->pausa_cliente_ms, 700);
        QCOMPARE(o->tempo_conexao_ms, 9000);
        QCOMPARE(o->maximo_clientes, 7);
        QCOMPARE(o->tempo_ocioso_ms, 1234);
        QCOMPARE(o->escuta, std::string("::1"));
        QVERIFY(o->sem_resposta && !o->ajuda);
        auto padrao = Ler_Opcoes({}, erro);
        QCOMPARE(padrao->porta, uint16_t(2500));
        QCOMPARE(padrao->dados, std::string("./zelta-servidor-dados"));
        QCOMPARE(padrao->cota_dados, uint64_t(1) << 30);
        QCOMPARE(padrao->cota_envios, uint64_t(0)); // a quarter of the data quota
        QCOMPARE(padrao->log_maximo, uint64_t(64) << 20);
        QVERIFY(padrao->competencia.aceita.empty());
        QVERIFY(Ler_Opcoes({"--help"}, erro)->ajuda);
        for (const char *nome : {"--porta N", "--dados PASTA", "--cota-dados MB", "--tempo-conexao MS",
                                 "--maximo-clientes N", "--aceite-lento MS", "--help"})
            QVERIFY2(Texto_Ajuda().find(nome) != std::string::npos, nome);
        for (auto ruim : std::vector<std::vector<std::string>>{
                 {"--porta", "70000"}, {"--porta"}, {"--competencia", "132024"}, {"--reset-apos", "x"},
                 {"--nada"}, {"solto"}, {"--cota-dados", "0"}, {"--maximo-clientes", "0"}}) {
            erro.clear();
            QVERIFY(!Ler_Opcoes(ruim, erro));
            QVERIFY(!erro.empty());
        }
    }

    void ajuda_do_executavel()
    {
        const QString programa = qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/servidor/zelta-servidor";
        QProcess p;
        p.start(programa, {"--help"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QString texto = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY(texto.contains("--tempo-ocioso MS"));
        QVERIFY(texto.contains("conexões atendidas ao mesmo tempo"));
        p.start(programa, {"--nada"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("opção desconhecida"));
    }

    void registro_sobrevive_e_guarda_o_arquivo()
    {
        QTemporaryDir dir;
        const std::string pasta = dir.filePath("dados").toStdString();
        const std::string d1 = Declaracao_Teste("082024", 3, "1"), d2 = Declaracao_Teste("082024", 3, "2");
        Entrega e1;
        {
            Registro r(pasta);
            QVERIFY(!r.Procurar("r1"));
            e1 = r.Registrar(*Temporario(r, d1), "r1", "../../X.MMM", '1', 1700000000);
            QCOMPARE(e1.codigo, 1L);
            QVERIFY(!e1.repetida);
            // The client's name never leaves the folder.
            const std::string caminho = r.Caminho_Declaracao(1, "../../X.MMM");
            QCOMPARE(QFileInfo(QString::fromStdString(caminho)).absolutePath(),
                     QDir(QString::fromStdString(pasta + "/declaracoes")).absolutePath());
            QCOMPARE(Conteudo(caminho), d1);
        }
        Registro r(pasta);
        auto antes = r.Procurar("r1");
        QVERIFY(antes && antes->repetida);
        QCOMPARE(antes->codigo, 1L);
        QCOMPARE(antes->data_hora, e1.data_hora);
        QCOMPARE(r.Registrar(*Temporario(r, d1), "r1", "X.MMM", '1', 1800000000).codigo, 1L);
        QCOMPARE(r.Registrar(*Temporario(r, d2), "r2", "X.MMM", '1', 1800000000).codigo, 2L); // the counter goes on
        QCOMPARE(QDir(QString::fromStdString(r.Pasta_Temporaria())).entryList(QDir::Files).size(), 0);
    }

    // A process killed (SIGKILL) while it records deliveries, again and again: afterwards every
    // declaration file has its record and every record its file, and codes go on unshared.
    void registro_e_pasta_concordam_apos_kill_9()
    {
        QTemporaryDir dir;
        const std::string pasta = dir.filePath("dados").toStdString();
        const QDir declaracoes(QString::fromStdString(pasta + "/declaracoes"));
        int proxima = 0;
        for (int rodada = 0; rodada < 3; ++rodada) {
            const pid_t filho = ::fork();
            if (filho == 0) {
                Registro r(pasta);
                for (int i = proxima; i < proxima + 5000; ++i)
                    r.Registrar(*Temporario(r, "declaração " + std::to_string(i)), "r" + std::to_string(i), "X.MMM",
                                '1', 1700000000);
                ::_exit(0);
            }
            const auto antes = declaracoes.exists() ? declaracoes.entryList(QDir::Files).size() : 0;
            for (int i = 0; i < 400 && (!declaracoes.exists() ||
                                        QDir(declaracoes.path()).entryList(QDir::Files).size() < antes + 15); ++i)
                QTest::qWait(25);
            ::kill(filho, SIGKILL);
            ::waitpid(filho, nullptr, 0);
            proxima += 5000;
        }
        Registro r(pasta);
        QStringList arquivos = QDir(declaracoes.path()).entryList(QDir::Files);
        long registrados = 0;
        for (int i = 0; i < proxima; ++i) {
            const auto e = r.Procurar("r" + std::to_string(i));
            if (!e)
                continue;
            ++registrados;
            const std::string caminho = r.Caminho_Declaracao(e->codigo, "X.MMM");
            QCOMPARE(Conteudo(caminho), "declaração " + std::to_string(i));
            arquivos.removeOne(QFileInfo(QString::fromStdString(caminho)).fileName());
        }
        QVERIFY(registrados > 0);
        QCOMPARE(arquivos, QStringList()); // no file without its record
        const auto nova = r.Registrar(*Temporario(r, "nova"), "nova", "X.MMM", '1', 1700000000);
        QCOMPARE(nova.codigo, registrados + 1);
        QCOMPARE(Conteudo(r.Caminho_Declaracao(nova.codigo, "X.MMM")), std::string("nova"));
    }

private:
    static std::unique_ptr<Arquivo_Temporario> Temporario(Registro &r, const std::string &conteudo)
    {
        auto t = std::make_unique<Arquivo_Temporario>(r.Pasta_Temporaria(), r.Cota());
        if (!t->Acrescentar(conteudo))
            throw std::runtime_error("sem cota");
        return t;
    }

    static std::string Conteudo(const std::string &caminho)
    {
        QFile f(QString::fromStdString(caminho));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(ausente)");
    }

    // An archive of one folder entry (`pasta`) or one symbolic link.
    static std::string Zip_Especial(bool pasta)
    {
        QTemporaryDir dir;
        const std::string caminho = dir.filePath("e.zip").toStdString();
        int err = 0;
        zip_t *z = zip_open(caminho.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        if (pasta) {
            zip_dir_add(z, "PASTA", 0);
        } else {
            static const char alvo[] = "/etc/passwd";
            zip_int64_t i = zip_file_add(z, "A.MMM", zip_source_buffer(z, alvo, sizeof alvo - 1, 0), 0);
            zip_file_set_external_attributes(z, zip_uint64_t(i), 0, ZIP_OPSYS_UNIX, zip_uint32_t(S_IFLNK | 0777) << 16);
        }
        zip_close(z);
        QFile f(QString::fromStdString(caminho));
        f.open(QIODevice::ReadOnly);
        return f.readAll().toStdString();
    }
};

QTEST_GUILESS_MAIN(TstServidorProtocolo)
#include "tst_servidor_protocolo.moc"
