// The TCP client against small listeners on loopback.
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Socketout.h"

#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A listening socket on 127.0.0.1 with an ephemeral port.
struct Escuta {
    int fd = -1;
    uint16_t porta = 0;
    explicit Escuta(int fila = 8)
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(fd, fila);
        socklen_t t = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &t);
        porta = ntohs(a.sin_port);
    }
    int aceitar() const { return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC); }
    ~Escuta() { if (fd >= 0) ::close(fd); }
};

void Configurar(Socketout &s, uint16_t porta, const char *host = "127.0.0.1")
{
    s.Host_Remoto = host;
    s.Porta_Remota = porta;
    s.Tempo_Limite_Conexao_ms = 3000;
}

void Enviar_Tudo(int fd, const std::string &b) { QCOMPARE(::send(fd, b.data(), b.size(), MSG_NOSIGNAL), ssize_t(b.size())); }

std::string Ler(int fd, size_t n)
{
    std::string b(n, '\0');
    size_t lidos = 0;
    while (lidos < n) {
        ssize_t r = ::recv(fd, b.data() + lidos, n - lidos, 0);
        if (r <= 0) break;
        lidos += size_t(r);
    }
    b.resize(lidos);
    return b;
}

// Runs f and returns the socket error number it threw (0 when it threw nothing).
template <class F> int Numero_Lancado(F f)
{
    try {
        f();
    } catch (const Erro_Execucao &e) {
        return e.numero;
    }
    return 0;
}

// Repeats f until it throws, for up to five seconds; the first error number (0 when none came).
// An error is reported once: the reset is read by one call, later ones see a closed connection.
template <class F> int Primeiro_Erro(F f)
{
    int n = 0;
    // QTRY_VERIFY evaluates once more at its end, so the first number is kept.
    [&] { QTRY_VERIFY_WITH_TIMEOUT((n = n ? n : Numero_Lancado(f)) != 0, 5000); }();
    return n;
}

void Fechar_Com_Reset(int fd)
{
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
}

} // namespace

class TstSocketout : public QObject {
    Q_OBJECT
private slots:
    void ida_e_volta_e_fechamento()
    {
        Escuta e;
        Socketout s;
        QVERIFY(!s.Conectado());
        Configurar(s, e.porta, "localhost"); // every address of the name is tried
        s.Abrir_Conexao();
        QVERIFY(s.Conectado());
        int c = e.aceitar();
        std::string bloco(1023, '\0');
        for (size_t i = 0; i < bloco.size(); ++i) bloco[i] = char(i * 7);
        QCOMPARE(s.Enviar_Dados(bloco, 1023), 1023);
        QCOMPARE(Ler(c, 1023), bloco);
        QCOMPARE(s.Bytes_Disponiveis(), 0);   // nothing yet, connection alive
        Enviar_Tudo(c, "OK");
        QTRY_COMPARE(s.Bytes_Disponiveis(), 2);
        QCOMPARE(s.Receber_Dados(2), std::string("OK"));
        QCOMPARE(s.Receber_Dados(10), std::string()); // nothing waits: returns at once
        // A long reply: a part when asked for less, the rest when asked for more than waits.
        std::string longa(10000, '\0');
        for (size_t i = 0; i < longa.size(); ++i) longa[i] = char(i % 251);
        Enviar_Tudo(c, longa);
        QTRY_COMPARE(s.Bytes_Disponiveis(), 10000);
        QCOMPARE(s.Receber_Dados(3), longa.substr(0, 3));
        QCOMPARE(s.Receber_Dados(1 << 20), longa.substr(3));
        s.Fechar_Conexao();
        QVERIFY(!s.Conectado());
        QCOMPARE(Ler(c, 1), std::string()); // the peer sees the close
        ::close(c);
    }

    void envia_so_o_tamanho_pedido()
    {
        Escuta e;
        Socketout s;
        Configurar(s, e.porta);
        s.Abrir_Conexao();
        int c = e.aceitar();
        QCOMPARE(s.Enviar_Dados("abcdef", 3), 3);
        QCOMPARE(Ler(c, 3), std::string("abc"));
        // A length beyond the buffer is refused, never read past its end.
        QCOMPARE(Numero_Lancado([&] { s.Enviar_Dados("ab", 5); }), Erro::Argumento_Invalido);
        QCOMPARE(Numero_Lancado([&] { s.Abrir_Conexao(); }), 24056); // already connected
        ::close(c);
    }

    void descarta_o_resto_da_resposta()
    {
        Escuta e;
        Socketout s;
        Configurar(s, e.porta);
        s.Abrir_Conexao();
        int c = e.aceitar();
        Enviar_Tudo(c, "OK");
        QTRY_COMPARE(s.Bytes_Disponiveis(), 2);
        QCOMPARE(s.Receber_Dados(2), std::string("OK"));
        Enviar_Tudo(c, "cauda da resposta");
        QTRY_VERIFY(s.Bytes_Disponiveis() > 0);
        s.Comando_Pos_Resposta();
        QCOMPARE(s.Bytes_Disponiveis(), 0);
        QVERIFY(s.Conectado());
        // The connection stays usable for the next block and its reply.
        s.Enviar_Dados("x", 1);
        QCOMPARE(Ler(c, 1), std::string("x"));
        Enviar_Tudo(c, "0");
        QTRY_COMPARE(s.Bytes_Disponiveis(), 1);
        QCOMPARE(s.Receber_Dados(1), std::string("0"));
        ::close(c);
    }

    void par_fechou_sem_resposta_aborta()
    {
        Escuta e;
        Socketout s;
        Configurar(s, e.porta);
        s.Abrir_Conexao();
        int c = e.aceitar();
        Enviar_Tudo(c, "7");
        ::close(c);
        // What arrived before the close is still read; after it, no reply can come.
        QTRY_COMPARE(s.Bytes_Disponiveis(), 1);
        QCOMPARE(s.Receber_Dados(1), std::string("7"));
        QCOMPARE(Primeiro_Erro([&] { s.Bytes_Disponiveis(); }), 24053);
    }

    void reset_do_par()
    {
        Escuta e;
        Socketout s;
        Configurar(s, e.porta);
        s.Abrir_Conexao();
        Fechar_Com_Reset(e.aceitar());
        QCOMPARE(Primeiro_Erro([&] { s.Bytes_Disponiveis(); }), 24054);
        // Sending on the reset connection is a reset too (no broken-pipe signal kills us).
        QCOMPARE(Numero_Lancado([&] { s.Enviar_Dados(std::string(1023, 'b'), 1023); }), 24054);
        QVERIFY(s.Conectado()); // open until the caller closes it
        s.Fechar_Conexao();
    }

    void reset_durante_envio()
    {
        Escuta e;
        Socketout s;
        Configurar(s, e.porta);
        s.Abrir_Conexao();
        Fechar_Com_Reset(e.aceitar());
        // Bytes sent before the reset reaches us still go out; a later send sees it.
        const auto enviar = [&] { s.Enviar_Dados(std::string(1023, 'a'), 1023); };
        QCOMPARE(Primeiro_Erro(enviar), 24054);
    }

    void conexao_recusada()
    {
        uint16_t porta;
        { Escuta e; porta = e.porta; } // the port is free again: nobody listens
        Socketout s;
        Configurar(s, porta);
        try {
            s.Abrir_Conexao();
            QFAIL("connected to a closed port");
        } catch (const Erro_Execucao &e) {
            QCOMPARE(e.numero, 24061);
            QCOMPARE(e.descricao, QString("Conexão recusada"));
        }
        QVERIFY(!s.Conectado());
    }

    void host_desconhecido()
    {
        Socketout s;
        Configurar(s, 2500, "nada.invalid");
        try {
            s.Abrir_Conexao();
            QFAIL("connected to an unknown host");
        } catch (const Erro_Execucao &e) {
            QCOMPARE(e.numero, 25001);
            QCOMPARE(e.descricao, QString("Nome de máquina desconhecido"));
        }
        QVERIFY(!s.Conectado());
    }

    void sem_conexao()
    {
        Socketout s;
        QCOMPARE(Numero_Lancado([&] { s.Enviar_Dados("abc", 3); }), 24057);
        QCOMPARE(Numero_Lancado([&] { s.Bytes_Disponiveis(); }), 24057);
        QCOMPARE(Numero_Lancado([&] { s.Receber_Dados(3); }), 24057);
        s.Fechar_Conexao(); // closing twice is harmless

        Escuta e;
        Configurar(s, e.porta);
        s.Abrir_Conexao();
        s.Fechar_Conexao();
        QCOMPARE(Numero_Lancado([&] { s.Enviar_Dados("abc", 3); }), 24057);
    }

    // With the window's hook set the name is looked up on a thread of its own: the outcomes stay
    // the same, and the hook runs on the caller's thread.
    void nome_procurado_com_o_gancho()
    {
        Escuta e;
        const std::thread::id chamador = std::this_thread::get_id();
        bool outra_linha = false;
        for (const char *host : {"localhost", "servidor-zelta.invalid"}) {
            Socketout sem, com;
            for (Socketout *s : {&sem, &com})
                Configurar(*s, e.porta, host);
            com.Durante_Espera = [&] { outra_linha = outra_linha || std::this_thread::get_id() != chamador; };
            QCOMPARE(Numero_Lancado([&] { com.Abrir_Conexao(); }), Numero_Lancado([&] { sem.Abrir_Conexao(); }));
            QCOMPARE(com.Conectado(), sem.Conectado());
        }
        QVERIFY(!outra_linha);
    }

    void tempo_esgotado_ao_conectar()
    {
        // A full accept queue makes the listener ignore new connection requests.
        Escuta e(0);
        std::vector<std::unique_ptr<Socketout>> enchimento;
        Socketout s;
        Configurar(s, e.porta);
        s.Tempo_Limite_Conexao_ms = 300;
        int n = 0, esperas = 0;
        for (int i = 0; i < 8 && n == 0; ++i) {
            auto t = std::make_unique<Socketout>();
            Configurar(*t, e.porta);
            t->Tempo_Limite_Conexao_ms = 300;
            esperas = 0;
            t->Durante_Espera = [&esperas] { ++esperas; };
            n = Numero_Lancado([&] { t->Abrir_Conexao(); });
            enchimento.push_back(std::move(t));
        }
        if (n == 0)
            QSKIP("this network stack accepts connections beyond the queue");
        QCOMPARE(n, 24060);
        QVERIFY2(esperas >= 1, "the window's hook runs while the connection is awaited");
    }
};

// The descriptions of the unhandled-error text are in the user's language; only a failure the
// program does not expect keeps the system's own text.
class TstDescricoes : public QObject {
    Q_OBJECT
private slots:
    void em_portugues()
    {
        QCOMPARE(Descricao_Sistema(ECONNREFUSED), QString("Conexão recusada"));
        QCOMPARE(Descricao_Sistema(EINVAL), QString("Argumento inválido"));
        QCOMPARE(Descricao_Sistema(ENOENT), QString("Arquivo ou diretório inexistente"));
        QCOMPARE(Descricao_Sistema(EOVERFLOW), QString("Valor grande demais para o tipo de dado"));
        QCOMPARE(Erro_De_Arquivo(EACCES).descricao, QString("Permissão negada"));
        QCOMPARE(Erro_De_Arquivo(ENOSPC).descricao, QString("Não há espaço disponível no dispositivo"));
        QCOMPARE(Erro_De_Arquivo(ENOENT).numero, Erro::Arquivo_Nao_Encontrado);
        for (int err : {EPERM, EIO, EROFS, EISDIR, ENOTDIR, ENAMETOOLONG, ELOOP, ENOMEM, ETIMEDOUT, ECONNRESET,
                        ECONNABORTED, ENETUNREACH, EHOSTUNREACH, ENOTCONN, EPIPE, EADDRNOTAVAIL, EDQUOT, EMFILE})
            QVERIFY2(Descricao_Sistema(err) != QString::fromLocal8Bit(std::strerror(err)), qPrintable(QString::number(err)));
        QVERIFY(!Descricao_Sistema(EL2HLT).isEmpty()); // no table entry: the system's text
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TstSocketout a;
    TstDescricoes b;
    return QTest::qExec(&a, argc, argv) | QTest::qExec(&b, argc, argv);
}
#include "tst_socketout.moc"
