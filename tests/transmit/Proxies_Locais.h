#pragma once
// Real proxies on loopback for the tests: microsocks (SOCKS5) and tinyproxy (HTTP CONNECT),
// each started on a free port and stopped with the object. A missing program fails the test
// with the package to install.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A loopback port nobody listens on (the system's next ephemeral one).
inline uint16_t Porta_Livre()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tam = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &tam);
    ::close(s);
    return ntohs(a.sin_port);
}

// True once something accepts connections on the loopback port (at most `ms`).
inline bool Aguardar_Porta(uint16_t porta, int ms = 5000)
{
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < limite) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(porta);
        const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        ::close(s);
        if (ok)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class Proxy_Local {
public:
    uint16_t porta = Porta_Livre();

    ~Proxy_Local()
    {
        processo_.kill();
        processo_.waitForFinished(5000);
    }

    // SOCKS5; with a user, only that user and password are let through.
    static void Socks5(Proxy_Local &p, const QString &usuario = {}, const QString &senha = {})
    {
        QStringList args{QStringLiteral("-i"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(p.porta)};
        if (!usuario.isEmpty())
            args << QStringLiteral("-u") << usuario << QStringLiteral("-P") << senha;
        p.Iniciar(QStringLiteral("microsocks"), args);
    }

    // HTTP CONNECT, only to `porta_permitida`; with a user, Basic authentication is required.
    static void Http(Proxy_Local &p, uint16_t porta_permitida, const QString &usuario = {}, const QString &senha = {})
    {
        QVERIFY(p.pasta_.isValid());
        const QString conf = p.pasta_.filePath(QStringLiteral("tinyproxy.conf"));
        QFile f(conf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QString texto = QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 16\nAllow 127.0.0.1\n"
                                       "ConnectPort %2\nLogLevel Critical\n")
                            .arg(p.porta)
                            .arg(porta_permitida);
        if (!usuario.isEmpty())
            texto += QStringLiteral("BasicAuth %1 %2\n").arg(usuario, senha);
        f.write(texto.toUtf8());
        f.close();
        p.Iniciar(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), conf});
    }

private:
    void Iniciar(const QString &programa, const QStringList &args)
    {
        // Debian installs both in /usr/bin (tinyproxy in /usr/sbin on older releases).
        QString caminho = QStandardPaths::findExecutable(programa);
        if (caminho.isEmpty())
            caminho = QStandardPaths::findExecutable(programa, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        QVERIFY2(!caminho.isEmpty(), qPrintable(programa + QStringLiteral(" não está instalado: rode scripts/install-deps --tests")));
        processo_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        processo_.start(caminho, args);
        QVERIFY2(processo_.waitForStarted(5000), qPrintable(programa));
        QVERIFY2(Aguardar_Porta(porta), qPrintable(programa + QStringLiteral(" não abriu a porta")));
    }

    QTemporaryDir pasta_;
    QProcess processo_;
};
