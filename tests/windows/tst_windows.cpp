// What only Windows has: files kept byte for byte (no text mode), names in UTF-16 and those the
// record's code page cannot hold, devices and folders refused, the history's lock between two
// writers, the folders of ended batches, the drive letters, and the failure numbers Winsock gives.
#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Socketout.h"
#include "engine/platform/Unidades.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
QByteArray Conteudo(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<não abriu>");
}

std::string Bytes(const QString &caminho) { return QFile::encodeName(QDir::toNativeSeparators(caminho)).toStdString(); }

// The failure's number and description, or {0, ""} when nothing was thrown.
template <class Acao> std::pair<int, QString> Falha_De(Acao acao)
{
    try {
        acao();
    } catch (const Erro_Execucao &e) {
        return {e.numero, e.descricao};
    }
    return {0, {}};
}

// A loopback listener on a port of the system's choosing.
struct Escuta {
    SOCKET s = INVALID_SOCKET;
    uint16_t porta = 0;
    Escuta()
    {
        WSADATA d;
        ::WSAStartup(MAKEWORD(2, 2), &d);
        s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int tam = sizeof a;
        ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(s, 4);
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &tam);
        porta = ntohs(a.sin_port);
    }
    ~Escuta() { Fechar(); }
    void Fechar()
    {
        if (s != INVALID_SOCKET)
            ::closesocket(s);
        s = INVALID_SOCKET;
    }
};

void Conectar(Socketout &c, uint16_t porta)
{
    c.Host_Remoto = "127.0.0.1";
    c.Porta_Remota = porta;
    c.Tempo_Limite_Conexao_ms = 10000;
    c.Abrir_Conexao();
}
} // namespace

class TstWindows : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;

private slots:
    void initTestCase()
    {
        QVERIFY(pasta_.isValid());
        // File names go into the record in Windows-1252: the tests read them in that code page.
        QCOMPARE(::GetACP(), 1252u);
    }

    void arquivos_em_modo_binario()
    {
        const QByteArray dados("linha\r\nsó LF\nCR só\rfim\r\n\x1a depois do Ctrl-Z", 46);
        const QString caminho = pasta_.filePath("Zelta.ret");
        Gravar_Arquivo_Inteiro(Bytes(caminho), dados.toStdString());
        QCOMPARE(Conteudo(caminho), dados);

        Anexo_Travado anexo(Bytes(caminho), 1000);
        QCOMPARE(anexo.Tamanho(), std::int64_t(dados.size()));
        char ultimo = 0;
        QVERIFY(anexo.Ler_Byte(anexo.Tamanho() - 1, ultimo));
        QCOMPARE(ultimo, 'Z');
        anexo.Anexar("mais\r\n");
        anexo.Fechar();
        QCOMPARE(Conteudo(caminho), dados + "mais\r\n");

        // Reading through the opening rule and a stream of its own gives the same bytes.
        const sistema::Descritor fd = Abrir_Arquivo_Comum(Bytes(caminho));
        std::FILE *f = Fluxo_Do_Inicio(fd);
        QVERIFY(f);
        QByteArray lido(200, '\0');
        lido.resize(qsizetype(std::fread(lido.data(), 1, size_t(lido.size()), f)));
        std::fclose(f);
        QCOMPARE(lido, dados + "mais\r\n");
    }

    void nomes_em_utf16_e_fora_do_1252()
    {
        QDir pasta(pasta_.filePath("ação"));
        QVERIFY(pasta.mkpath("."));
        const QString acentuado = pasta.filePath("declaração.txt");
        const QString grego = pasta.filePath("Ωmega.txt");
        for (const QString &c : {acentuado, grego}) {
            QFile f(c);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("X\r\n");
        }
        std::vector<std::string> nomes = Arquivos_Comuns(Bytes(pasta.path()));
        std::sort(nomes.begin(), nomes.end());
        // Listed in the record's code page: "?" stands for what it cannot hold.
        QCOMPARE(nomes, (std::vector<std::string>{"?mega.txt", "declara\xe7\xe3o.txt"}));

        const sistema::Descritor fd = Abrir_Arquivo_Comum(Bytes(acentuado));
        char c[3];
        QCOMPARE(sistema::Ler(fd.Fd(), c, 3), ssize_t(3));
        QVERIFY(Arquivo_Comum(Bytes(acentuado)));

        const auto [numero, descricao] = Falha_De([&] { Abrir_Arquivo_Comum(Bytes(pasta.path()) + "\\?mega.txt"); });
        QCOMPARE(numero, Erro::Argumento_Invalido);
        QVERIFY2(descricao.contains("fora do Windows-1252"), qPrintable(descricao));
        QVERIFY(!Arquivo_Comum(Bytes(pasta.path()) + "\\?mega.txt"));
        // Writing a whole file under an accented folder works as well.
        Gravar_Arquivo_Inteiro(Bytes(pasta.filePath("recibo ção.pdf")), "%PDF");
        QCOMPARE(Conteudo(pasta.filePath("recibo ção.pdf")), QByteArray("%PDF"));
    }

    void so_arquivos_comuns()
    {
        for (const std::string &nome : {std::string("NUL"), Bytes(pasta_.path())}) {
            const auto [numero, descricao] = Falha_De([&] { Abrir_Arquivo_Comum(nome); });
            QVERIFY2(numero == Erro::Caminho_Inacessivel, nome.c_str());
            QCOMPARE(descricao, QString("Não é um arquivo comum"));
        }
        const auto [numero, descricao] = Falha_De([&] { Abrir_Arquivo_Comum(Bytes(pasta_.filePath("falta.txt"))); });
        QCOMPARE(numero, Erro::Arquivo_Nao_Encontrado);
        QVERIFY(!Existe_Sem_Ser_Pasta(Bytes(pasta_.path())));
    }

    void trava_do_historico_entre_dois_escritores()
    {
        const std::string caminho = Bytes(pasta_.filePath("trava.ret"));
        Anexo_Travado primeiro(caminho, 1000);
        primeiro.Anexar("um\r\n");
        // A second writer waits its time and is refused...
        const auto inicio = std::chrono::steady_clock::now();
        const auto [numero, descricao] = Falha_De([&] { Anexo_Travado segundo(caminho, 300); });
        QCOMPARE(numero, Erro::Permissao_Negada);
        QCOMPARE(descricao, QString("Arquivo em uso por outro programa"));
        QVERIFY(std::chrono::steady_clock::now() - inicio >= std::chrono::milliseconds(250));
        // ...while readers still read the file (the lock is not on its bytes).
        QCOMPARE(Conteudo(pasta_.filePath("trava.ret")), QByteArray("um\r\n"));
        // Once the first closes, a waiting writer gets its turn.
        std::thread libera([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            primeiro.Fechar();
        });
        Anexo_Travado segundo(caminho, 10000);
        libera.join();
        segundo.Anexar("dois\r\n");
        segundo.Fechar();
        QCOMPARE(Conteudo(pasta_.filePath("trava.ret")), QByteArray("um\r\ndois\r\n"));
    }

    // A killed batch leaves its folder of archives: the next one removes the folders of ended
    // processes, and nothing else (a running one's folder, a name of another shape, others' files).
    void pastas_de_lotes_de_processos_terminados()
    {
        QProcess terminado;
        terminado.start("cmd.exe", {"/c", "exit"});
        QVERIFY(terminado.waitForStarted(30000));
        const qint64 morto = terminado.processId();
        QVERIFY(terminado.waitForFinished(30000));
        const QDir t(pasta_.filePath("temporaria"));
        const QString abandonada = QString("zelta-lote-%1-abc123").arg(morto);
        const QString viva = QString("zelta-lote-%1-def456").arg(Processo_Atual());
        for (const QString &p : {abandonada, viva, QString("zelta-lote-x-ghi789"), QString("alheia")})
            QVERIFY(t.mkpath(p));
        for (const QString &arquivo : {abandonada + "/Arqzip-0.zip", QString("alheia/arquivo")}) {
            QFile f(t.filePath(arquivo));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("PK") == 2);
        }
        Limpar_Pastas_Abandonadas(Bytes(t.path()), "zelta-lote-");
        QStringList restantes = t.entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        restantes.sort();
        QStringList esperadas{"alheia", "zelta-lote-x-ghi789", viva};
        esperadas.sort();
        QCOMPARE(restantes, esperadas);
        QVERIFY(QFile::exists(t.filePath("alheia/arquivo")));
    }

    void unidades_sao_as_letras_do_windows()
    {
        const std::vector<QString> unidades = Volumes_Do_Sistema();
        QVERIFY(!unidades.empty());
        for (const QString &u : unidades)
            QVERIFY2(QRegularExpression("^[A-Z]:/$").match(u).hasMatch(), qPrintable(u));
        QVERIFY(std::find(unidades.begin(), unidades.end(), QString("C:/")) != unidades.end());
        QCOMPARE(Unidade_De("C:/Users/fulano/Documents", unidades), QString("C:/"));
        const QString temporaria = QDir::tempPath();
        QCOMPARE(Unidade_De(temporaria, unidades), temporaria.left(3).toUpper());
    }

    void numeros_de_falha_do_winsock()
    {
        uint16_t fechada;
        {
            Escuta e;
            fechada = e.porta;
        }
        Socketout recusada;
        const auto [numero, descricao] = Falha_De([&] { Conectar(recusada, fechada); });
        QCOMPARE(numero, 24061);
        QCOMPARE(descricao, QString("Conexão recusada"));

        Socketout desconhecida;
        desconhecida.Host_Remoto = "zelta.invalid";
        desconhecida.Porta_Remota = 2500;
        QCOMPARE(Falha_De([&] { desconhecida.Abrir_Conexao(); }).first, 25001);

        Socketout sem_conexao;
        QCOMPARE(Falha_De([&] { sem_conexao.Enviar_Dados("x", 1); }).first, 24057);

        // A peer that answers and closes: the reply is read, then "aborted".
        Escuta e;
        Socketout c;
        Conectar(c, e.porta);
        SOCKET aceito = ::accept(e.s, nullptr, nullptr);
        QVERIFY(aceito != INVALID_SOCKET);
        QCOMPARE(c.Enviar_Dados("bloco", 5), 5);
        char recebido[5];
        QCOMPARE(::recv(aceito, recebido, 5, MSG_WAITALL), 5);
        ::send(aceito, "OK", 2, 0);
        ::closesocket(aceito);
        QTRY_VERIFY_WITH_TIMEOUT(c.Bytes_Disponiveis() >= 2, 10000);
        QCOMPARE(c.Receber_Dados(2), std::string("OK"));
        int fim = 0;
        for (int i = 0; i < 100 && fim == 0; ++i) {
            fim = Falha_De([&] { c.Bytes_Disponiveis(); }).first;
            QTest::qWait(50);
        }
        QCOMPARE(fim, 24053);
        c.Fechar_Conexao();
        QVERIFY(!c.Conectado());
    }
};

QTEST_GUILESS_MAIN(TstWindows)
#include "tst_windows.moc"
