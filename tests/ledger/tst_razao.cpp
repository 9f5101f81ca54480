// The ledger of deliveries as programs share it: several processes and threads writing at once,
// a writer killed with SIGKILL in the middle of its writes, and what an attempt amounts to.
#include "engine/ledger/Razao_Entregas.h"

#include "engine/platform/Erro_Execucao.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <functional>
#include <map>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
Tentativa_Razao Tentativa(const std::string &sha, const std::string &empresa = "EMPRESA")
{
    Tentativa_Razao t;
    t.arquivo = "A.MOV";
    t.caminho = "/tmp/A.MOV";
    t.sha256 = sha;
    t.sha256_envio = std::string(64, 'e');
    t.declaracao.Tipo_Arquivo = 1;
    t.declaracao.Tipo_Identificador = "1";
    t.declaracao.Identificador = "12345678000190";
    t.declaracao.Razao_Social = empresa;
    t.declaracao.Mes_Competencia = "03";
    t.declaracao.Ano_Competencia = "2024";
    return t;
}

Tentativa_Razao Resultado(Resultado_Razao r, const std::string &codigo = {})
{
    Tentativa_Razao t;
    t.resultado = r;
    t.codigo = codigo;
    return t;
}

// Writes `n` whole deliveries (attempt, last block, outcome), each on a connection of its own as
// the transmit command does.
void Escrever_Entregas(const std::string &arquivo, int n, const std::string &quem)
{
    for (int i = 0; i < n; ++i) {
        Razao_Entregas livro(arquivo);
        const long long id =
            livro.Registrar_Tentativa(Tentativa(quem + std::to_string(i), "EMPRESA " + quem));
        livro.Marcar_Ultimo_Bloco(id);
        livro.Registrar_Resultado(id, Resultado(Resultado_Razao::Aceita, "0000" + std::to_string(1000 + i)));
    }
}

// A child process running `f`; its exit status says whether `f` threw.
pid_t Filho(const std::function<void()> &f)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int status = 0;
        try {
            f();
        } catch (...) {
            status = 1;
        }
        _exit(status);
    }
    return pid;
}

// Waits for the child for at most `ms`; its exit status, or -1 (killed then) when it overran.
int Esperar_Filho(pid_t pid, int ms)
{
    const QDeadlineTimer prazo(ms);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (prazo.hasExpired()) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(20);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QString Integridade(const std::string &arquivo)
{
    sqlite3 *db = nullptr;
    QString r;
    if (sqlite3_open_v2(arquivo.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void *p, int, char **v, char **) {
                *static_cast<QString *>(p) += QString::fromUtf8(v[0]);
                return 0;
            },
            &r, nullptr);
    sqlite3_close(db);
    return r;
}
} // namespace

class TstRazao : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    std::string Arquivo() const { return QDir(pasta_.path()).filePath(Arquivo_Razao).toStdString(); }

private slots:
    void init()
    {
        QVERIFY(pasta_.isValid());
        for (const char *fim : {"", "-wal", "-shm"})
            QFile::remove(QString::fromStdString(Arquivo() + fim));
    }

    void ao_lado_do_historico()
    {
        QCOMPARE(Caminho_Razao("/pasta/do/programa/Zelta.ret"),
                 std::string("/pasta/do/programa/ZeltaEntregas.db"));
        QCOMPARE(Caminho_Razao("Zelta.ret"), QDir::current().filePath("ZeltaEntregas.db").toStdString());
    }

    // An attempt without an outcome is uncertain once its last block may have gone; an uncertain
    // delivery is settled only by a later delivery of the same bytes that got a receipt.
    void estados_e_acerto_das_incertas()
    {
        Razao_Entregas livro(Arquivo());
        const long long antes = livro.Registrar_Tentativa(Tentativa("aaa"));
        const long long morta = livro.Registrar_Tentativa(Tentativa("bbb"));
        livro.Marcar_Ultimo_Bloco(morta);
        const long long sem_resposta = livro.Registrar_Tentativa(Tentativa("ccc"));
        livro.Marcar_Ultimo_Bloco(sem_resposta);
        livro.Registrar_Resultado(sem_resposta, Resultado(Resultado_Razao::Incerta));

        const std::vector<Tentativa_Razao> todas = livro.Todas();
        QCOMPARE(todas.size(), size_t(3));
        QCOMPARE(todas[0].id, antes);
        QCOMPARE(Estado_Efetivo(todas[0]), Resultado_Razao::Falhou);
        QCOMPARE(Estado_Efetivo(todas[1]), Resultado_Razao::Incerta);
        QCOMPARE(todas[1].resultado, Resultado_Razao::Sem_Resultado);
        QCOMPARE(Estado_Efetivo(todas[2]), Resultado_Razao::Incerta);
        QCOMPARE(todas[2].declaracao.Identificador, std::string("12345678000190"));
        QVERIFY(!todas[2].fim.empty());

        auto incertas = livro.Incertas();
        QCOMPARE(incertas.size(), size_t(2));
        QCOMPARE(incertas[0].id, sem_resposta); // newest first

        // Refused again: still uncertain. Delivered before (08): settled.
        const long long recusada = livro.Registrar_Tentativa(Tentativa("ccc"));
        Tentativa_Razao r = Resultado(Resultado_Razao::Recusada);
        r.mensagem = 7;
        livro.Registrar_Resultado(recusada, r);
        QCOMPARE(livro.Incertas().size(), size_t(2));
        livro.Registrar_Resultado(livro.Registrar_Tentativa(Tentativa("ccc")),
                                  Resultado(Resultado_Razao::Ja_Entregue, "00000042"));
        incertas = livro.Incertas();
        QCOMPARE(incertas.size(), size_t(1));
        QCOMPARE(incertas[0].id, morta);
        // Other bytes of the same company do not settle it.
        livro.Registrar_Resultado(livro.Registrar_Tentativa(Tentativa("ddd")),
                                  Resultado(Resultado_Razao::Aceita, "1"));
        QCOMPARE(livro.Incertas().size(), size_t(1));
        QCOMPARE(livro.Da_Competencia("03", "2024").size(), size_t(6));
        QCOMPARE(livro.Da_Competencia("04", "2024").size(), size_t(0));
    }

    // Two programs (and two threads in this one) deliver at once: every write waits its turn,
    // none is lost.
    void varios_escritores_ao_mesmo_tempo()
    {
        constexpr int n = 60;
        {
            const Razao_Entregas criado(Arquivo());
        } // created before, so the children find the same layout
        const pid_t a = Filho([&] { Escrever_Entregas(Arquivo(), n, "A"); });
        const pid_t b = Filho([&] { Escrever_Entregas(Arquivo(), n, "B"); });
        std::thread c([&] { Escrever_Entregas(Arquivo(), n, "C"); });
        Escrever_Entregas(Arquivo(), n, "D");
        c.join();
        QCOMPARE(Esperar_Filho(a, 120000), 0);
        QCOMPARE(Esperar_Filho(b, 120000), 0);

        Razao_Entregas livro(Arquivo());
        const std::vector<Tentativa_Razao> todas = livro.Todas();
        QCOMPARE(todas.size(), size_t(4 * n));
        std::map<std::string, int> por_empresa;
        for (const Tentativa_Razao &t : todas) {
            QCOMPARE(t.resultado, Resultado_Razao::Aceita);
            ++por_empresa[t.declaracao.Razao_Social];
        }
        QCOMPARE(por_empresa, (std::map<std::string, int>{
                                  {"EMPRESA A", n}, {"EMPRESA B", n}, {"EMPRESA C", n}, {"EMPRESA D", n}}));
        QCOMPARE(Integridade(Arquivo()), QString("ok"));
    }

    // Several programs opening the ledger for the first time at the same moment (a batch's first
    // deliveries): each sets it up or waits for the other, none loses its attempt.
    void primeira_abertura_por_varios_ao_mesmo_tempo()
    {
        constexpr int escritores = 6;
        for (int rodada = 0; rodada < 10; ++rodada) {
            init();
            // The children start together: each waits for the end of a pipe the parent closes.
            int largada[2];
            QCOMPARE(::pipe(largada), 0);
            std::vector<pid_t> filhos;
            for (int i = 0; i < escritores; ++i)
                filhos.push_back(Filho([&, i] {
                    ::close(largada[1]);
                    char c;
                    if (::read(largada[0], &c, 1) < 0)
                        throw std::runtime_error("largada");
                    Escrever_Entregas(Arquivo(), 1, "P" + std::to_string(i));
                }));
            ::close(largada[0]);
            ::close(largada[1]);
            for (pid_t f : filhos)
                QCOMPARE(Esperar_Filho(f, 60000), 0);
            QCOMPARE(Razao_Entregas(Arquivo()).Todas().size(), size_t(escritores));
        }
    }

    // A writer killed at any moment leaves a ledger that opens, passes SQLite's integrity check
    // and holds every attempt it had finished writing, each whole.
    void escritor_morto_durante_gravacao()
    {
        for (int rodada = 0; rodada < 3; ++rodada) {
            int antes = 0;
            {
                Razao_Entregas livro(Arquivo());
                antes = static_cast<int>(livro.Todas().size());
            }
            const pid_t pid = Filho([&] { Escrever_Entregas(Arquivo(), 100000, "K"); });
            // Killed once it has written some, in the middle of whatever it is writing then.
            const QDeadlineTimer prazo(30000);
            int vistas = antes;
            while (vistas < antes + 20 + 15 * rodada && !prazo.hasExpired()) {
                QThread::msleep(5);
                vistas = static_cast<int>(Razao_Entregas(Arquivo()).Todas().size());
            }
            QThread::usleep(static_cast<unsigned long>(1000 * rodada + 300));
            kill(pid, SIGKILL);
            int status = 0;
            waitpid(pid, &status, 0);
            QVERIFY(WIFSIGNALED(status));
            QVERIFY2(vistas >= antes + 20, "the writer wrote nothing within 30 s");

            QCOMPARE(Integridade(Arquivo()), QString("ok"));
            Razao_Entregas livro(Arquivo());
            const std::vector<Tentativa_Razao> todas = livro.Todas();
            QVERIFY(static_cast<int>(todas.size()) >= vistas);
            for (const Tentativa_Razao &t : todas) {
                QCOMPARE(t.declaracao.Razao_Social, std::string("EMPRESA K"));
                QCOMPARE(t.sha256.substr(0, 1), std::string("K"));
            }
            // Only the attempt being written when the kill came may lack its outcome.
            int sem_resultado = 0;
            for (const Tentativa_Razao &t : todas)
                sem_resultado += t.resultado == Resultado_Razao::Sem_Resultado;
            QVERIFY(sem_resultado <= rodada + 1);
            // And the ledger takes new writes.
            livro.Registrar_Resultado(livro.Registrar_Tentativa(Tentativa("Kdepois", "EMPRESA K")),
                                      Resultado(Resultado_Razao::Aceita));
        }
    }

    void pasta_que_nao_existe_falha_com_motivo()
    {
        try {
            Razao_Entregas livro("/nao/existe.invalid/ZeltaEntregas.db");
            QFAIL("opened");
        } catch (const Erro_Execucao &e) {
            QVERIFY(e.descricao.startsWith("Registro de entregas: "));
        }
    }
};

QTEST_GUILESS_MAIN(TstRazao)
#include "tst_razao.moc"
