// The package installed with apt-get (root only), its programs started from the installed
// layout, then removed so the machine stays as it was.
#include "tests/package/Pacote_Teste.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <unistd.h>

namespace {
const QStringList Apt_Opcoes = {QStringLiteral("-y"), QStringLiteral("-q"),
                                QStringLiteral("-o"), QStringLiteral("DPkg::Lock::Timeout=120")};

bool Pacote_Instalado()
{
    const auto r = Executar(QStringLiteral("dpkg-query"),
                            {QStringLiteral("-W"), QStringLiteral("-f=${Status}"), QStringLiteral("zeltanet")});
    return r.codigo == 0 && r.saida.contains(QStringLiteral("install ok installed"));
}

// Ends a program we started: politely first.
void Encerrar(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}
} // namespace

class TstInstalacao : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void arquivos_no_sistema();
    void ferramentas_instaladas_funcionam();
    void janela_aberta_pela_entrada_de_menu();

private:
    // Waits at most `segundos` for a visible window with exactly this title; its id, or empty.
    QString Esperar_Janela(const QString &titulo, int segundos);

    QLockFile vez_{QDir::temp().filePath(QStringLiteral("zeltanet-tst_instalacao.lock"))};
    bool instalado_ = false; // apt-get was asked to install it
    QProcess xvfb_;
    QProcessEnvironment tela_; // the environment of programs shown on the virtual display
};

void TstInstalacao::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("installing the package needs root; run the tests as root to include this one");
    // Two build folders may run this test at once; the package on the machine is one.
    QVERIFY2(vez_.tryLock(10 * 60 * 1000), "another run of this test kept the machine's package for 10 minutes");
    if (Pacote_Instalado())
        QSKIP("a zeltanet package is already installed on this machine; it is left alone");
    const QString deb = Pacote_Deb();
    QVERIFY2(!deb.isEmpty(), "no zeltanet_*.deb: the pacote_gerar fixture makes it");

    QElapsedTimer relogio;
    relogio.start();
    const auto r = Executar(QStringLiteral("apt-get"), QStringList{QStringLiteral("install")} << Apt_Opcoes << deb, 300);
    instalado_ = true; // even half installed, the package is purged by cleanupTestCase
    QVERIFY2(r.terminou && r.codigo == 0 && Pacote_Instalado(), qPrintable(r.saida));
    qInfo("apt-get install took %lld ms", relogio.elapsed());
}

void TstInstalacao::cleanupTestCase()
{
    Encerrar(xvfb_);
    if (!instalado_)
        return;
    // Purged, not only removed: dpkg keeps no trace of the package either.
    const auto r = Executar(QStringLiteral("apt-get"), QStringList{QStringLiteral("purge")} << Apt_Opcoes
                                                                                       << QStringLiteral("zeltanet"), 300);
    QVERIFY2(r.terminou && r.codigo == 0 && !Pacote_Instalado(), qPrintable(r.saida));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/usr/bin/zeltanet")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/usr/share/zeltanet/Ajuda.hlp")));
}

void TstInstalacao::arquivos_no_sistema()
{
    QCOMPARE(QStandardPaths::findExecutable(QStringLiteral("zeltanet")), QStringLiteral("/usr/bin/zeltanet"));
    QVERIFY(QFileInfo(QStringLiteral("/usr/share/zeltanet/Ajuda.hlp")).isReadable());
    QVERIFY(QFileInfo::exists(QStringLiteral("/usr/share/applications/zeltanet.desktop")));
    for (const char *p : {"zeltanet", "zelta-servidor", "zelta-declaracao"})
        QVERIFY2(QFileInfo::exists(QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QLatin1String(p))), p);
    // The dependency brings the Portuguese texts of the standard buttons where Qt looks for them.
    QVERIFY(QFileInfo::exists(QStringLiteral("/usr/share/qt6/translations/qtbase_pt_BR.qm")));
    // The reception server is installed but not enabled.
    QVERIFY(QFileInfo::exists(QStringLiteral("/usr/lib/systemd/system/zelta-servidor.service")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/etc/systemd/system/multi-user.target.wants/zelta-servidor.service")));
}

void TstInstalacao::ferramentas_instaladas_funcionam()
{
    QTemporaryDir pasta;
    const QString declaracao = pasta.filePath(QStringLiteral("EXEMPLO.MOV"));
    const auto r = Executar(QStringLiteral("/usr/bin/zelta-declaracao"),
                            {QStringLiteral("gerar"), QStringLiteral("--saida"), declaracao}, 60);
    QVERIFY2(r.terminou && r.codigo == 0 && QFileInfo(declaracao).size() > 0, qPrintable(r.saida));

    QProcess servidor;
    servidor.start(QStringLiteral("/usr/bin/zelta-servidor"),
                   {QStringLiteral("--porta"), QStringLiteral("0"), QStringLiteral("--escuta"), QStringLiteral("127.0.0.1"),
                    QStringLiteral("--dados"), pasta.filePath(QStringLiteral("dados"))});
    QVERIFY(servidor.waitForStarted(10000));
    QElapsedTimer relogio;
    relogio.start();
    while (!servidor.canReadLine() && servidor.state() == QProcess::Running && relogio.elapsed() < 15000)
        servidor.waitForReadyRead(500);
    const QString linha = QString::fromLocal8Bit(servidor.readLine()).trimmed();
    QVERIFY2(linha.startsWith(QStringLiteral("porta ")), qPrintable(linha + servidor.readAllStandardError()));
    servidor.terminate(); // the server stops cleanly on SIGTERM
    QVERIFY(servidor.waitForFinished(10000));
    QCOMPARE(servidor.exitCode(), 0);
}

QString TstInstalacao::Esperar_Janela(const QString &titulo, int segundos)
{
    const QString padrao = QLatin1Char('^') + QRegularExpression::escape(titulo) + QLatin1Char('$');
    for (int i = 0; i < segundos * 4; ++i) {
        const auto r = Executar(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), padrao},
                                10, tela_);
        if (r.codigo == 0 && !r.saida.trimmed().isEmpty())
            return r.saida.trimmed().section(u'\n', 0, 0);
        QThread::msleep(250);
    }
    return {};
}

void TstInstalacao::janela_aberta_pela_entrada_de_menu()
{
    for (const char *p : {"Xvfb", "xdotool"})
        QVERIFY2(Existe_Programa(QLatin1String(p)), p); // both come with scripts/install-deps

    // A display of our own: Xvfb picks a free number and writes it when it is ready.
    xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                         QStringLiteral("tcp"), QStringLiteral("-noreset")});
    QVERIFY(xvfb_.waitForStarted(10000));
    QElapsedTimer relogio;
    relogio.start();
    while (!xvfb_.canReadLine() && xvfb_.state() == QProcess::Running && relogio.elapsed() < 15000)
        xvfb_.waitForReadyRead(500);
    const QString numero = QString::fromLatin1(xvfb_.readLine()).trimmed();
    QVERIFY2(!numero.isEmpty(), "Xvfb gave no display number");
    tela_ = QProcessEnvironment::systemEnvironment();
    tela_.remove(QStringLiteral("QT_QPA_PLATFORM")); // the real xcb plugin, as on a desktop
    tela_.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + numero);

    // Started the way a desktop launcher does: the entry's command, from some other folder.
    // The program must end up in the home folder, where it keeps "Zelta.ret".
    QTemporaryDir casa, outra;
    QProcessEnvironment ambiente = tela_;
    ambiente.insert(QStringLiteral("HOME"), casa.path());
    const QStringList exec =
        Argumentos_Exec(Ler_Entrada_Desktop(QStringLiteral("/usr/share/applications/zeltanet.desktop")).value(QStringLiteral("Exec")));
    QVERIFY(!exec.isEmpty());
    QProcess programa;
    programa.setProcessEnvironment(ambiente);
    programa.setWorkingDirectory(outra.path());
    programa.start(exec.first(), exec.mid(1));
    QVERIFY(programa.waitForStarted(10000));

    const QString janela = Esperar_Janela(QStringLiteral("ZELTA Net"), 30);
    const QString erros = QString::fromLocal8Bit(programa.readAllStandardError());
    QVERIFY2(!janela.isEmpty(), qPrintable(QStringLiteral("no \"ZELTA Net\" window within 30 s; ") + erros));
    const QString pasta = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(programa.processId())).symLinkTarget();
    QCOMPARE(pasta, QFileInfo(casa.path()).canonicalFilePath());

    // The help menu finds the installed manual in /usr/share/zeltanet.
    Executar(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), janela}, 10, tela_);
    Executar(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+j")}, 10, tela_);
    QThread::msleep(400);
    Executar(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("m")}, 10, tela_);
    QVERIFY2(!Esperar_Janela(QStringLiteral("ZELTA Net - Ajuda"), 10).isEmpty(), "the manual did not open");

    Encerrar(programa);
    Encerrar(xvfb_);
}

QTEST_MAIN(TstInstalacao)
#include "tst_instalacao.moc"
