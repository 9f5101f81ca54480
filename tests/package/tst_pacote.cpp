// The Debian package taken apart: its header, and every file where the programs and the desktop
// look for it.
#include "gui/app/Ajuda.h"
#include "tests/package/Pacote_Teste.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QXmlStreamReader>
#include <QtTest>

class TstPacote : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cabecalho_e_dependencias();
    void somente_os_arquivos_esperados();
    void programas_e_manual();
    void entrada_de_menu();
    void icones();
    void servidor_desligado();
    void lintian_sem_erros_nem_avisos();

private:
    QString Caminho(const QString &relativo) const { return raiz_.filePath(relativo); }
    QString Campo(const QString &nome) const;

    QStringList Programas() const;

    QString deb_;
    QTemporaryDir raiz_;
};

void TstPacote::initTestCase()
{
    deb_ = Pacote_Deb();
    QVERIFY2(!deb_.isEmpty(), "no zeltanet_*.deb: the pacote_gerar fixture makes it");
    QVERIFY(raiz_.isValid());
    const auto r = Executar(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb_, raiz_.path()});
    QVERIFY2(r.terminou && r.codigo == 0, qPrintable(r.saida));
}

// The programs in usr/bin: the three always there, and the command-line deliverer when the tree
// builds it.
QStringList TstPacote::Programas() const
{
    return {QStringLiteral("zeltanet"), QStringLiteral("zelta-servidor"), QStringLiteral("zelta-declaracao"),
            QStringLiteral("zelta-transmitir")};
}

QString TstPacote::Campo(const QString &nome) const
{
    return Executar(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb_, nome}).saida.trimmed();
}

void TstPacote::cabecalho_e_dependencias()
{
    QCOMPARE(Campo(QStringLiteral("Package")), QStringLiteral("zeltanet"));
    QCOMPARE(Campo(QStringLiteral("Version")), QStringLiteral("1.01"));
    QCOMPARE(Campo(QStringLiteral("Section")), QStringLiteral("misc"));
    QCOMPARE(Campo(QStringLiteral("Architecture")),
             Executar(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).saida.trimmed());
    QVERIFY(!Campo(QStringLiteral("Maintainer")).isEmpty());

    // Each name alone, so "libqt6gui6" is not found inside another package's name.
    QStringList nomes;
    for (const QString &d : Campo(QStringLiteral("Depends")).split(u','))
        nomes << d.trimmed().section(u' ', 0, 0);
    // xcb, the platform plugin of a desktop session, ships in libqt6gui6 on this Debian release.
    for (const char *p : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6printsupport6", "libzip4",
                          "libsqlite3-0", "qt6-translations-l10n", "fonts-liberation2"})
        QVERIFY2(nomes.contains(QLatin1String(p)), p);
    // Printing wants a print system, and a PDF queue where no printer exists; not required.
    QStringList recomendados;
    for (const QString &d : Campo(QStringLiteral("Recommends")).split(u','))
        recomendados << d.trimmed();
    QCOMPARE(recomendados, (QStringList{QStringLiteral("cups"), QStringLiteral("printer-driver-cups-pdf")}));
    // Every dependency must be installable here, or apt-get would refuse the package.
    for (const QString &n : nomes) {
        const auto r = Executar(QStringLiteral("apt-cache"), {QStringLiteral("show"), QStringLiteral("-q"), n}, 60);
        QVERIFY2(r.terminou && r.codigo == 0, qPrintable(n));
    }
}

void TstPacote::somente_os_arquivos_esperados()
{
    QStringList esperados = {
        QStringLiteral("usr/share/doc/zeltanet/copyright"),
        QStringLiteral("usr/share/doc/zeltanet/changelog.gz"),
        QStringLiteral("usr/share/zeltanet/Ajuda.hlp"),
        QStringLiteral("usr/share/applications/zeltanet.desktop"),
        QStringLiteral("usr/share/icons/hicolor/scalable/apps/zeltanet.svg"),
        QStringLiteral("usr/lib/systemd/system/zelta-servidor.service"),
    };
    for (int t : {16, 32, 48, 64, 128, 256})
        esperados << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/zeltanet.png").arg(t);
    // Each program with its manual page.
    for (const QString &p : Programas())
        esperados << QStringLiteral("usr/bin/") + p << QStringLiteral("usr/share/man/man1/%1.1.gz").arg(p);

    QStringList achados;
    QDirIterator it(raiz_.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        achados << QDir(raiz_.path()).relativeFilePath(it.next());
    esperados.sort();
    achados.sort();
    QCOMPARE(achados, esperados);
}

void TstPacote::programas_e_manual()
{
    for (const QString &p : Programas()) {
        const QFileInfo f(Caminho(QStringLiteral("usr/bin/") + p));
        QVERIFY2(f.isExecutable() && f.size() > 0, qPrintable(p));
    }
    // Stripped: no debugging sections travel to the users.
    const auto secoes = Executar(QStringLiteral("objdump"), {QStringLiteral("-h"), Caminho(QStringLiteral("usr/bin/zeltanet"))});
    if (secoes.terminou)
        QVERIFY2(!secoes.saida.contains(QStringLiteral(".debug_info")), "zeltanet is not stripped");

    // The installed program finds its manual in ../share/zeltanet, and it is our manual.
    const QString manual = Caminho(QStringLiteral("usr/share/zeltanet/Ajuda.hlp"));
    QCOMPARE(Arquivo_Ajuda(Caminho(QStringLiteral("usr/bin"))), manual);
    QFile instalado(manual), fonte(QDir(qEnvironmentVariable("ZELTA_SOURCE_DIR")).filePath(QStringLiteral("gui/app/Ajuda.hlp")));
    QVERIFY(instalado.open(QIODevice::ReadOnly) && fonte.open(QIODevice::ReadOnly));
    QCOMPARE(instalado.readAll(), fonte.readAll());
    QVERIFY(WinHelpA(nullptr, Arquivo_Ajuda(Caminho(QStringLiteral("usr/bin"))), HELP_FINDER, "0"));
    QVERIFY(WinHelpA(nullptr, QString(), HELP_QUIT, nullptr));

    // A build folder keeps its copy beside the program, and that one wins.
    const QString build = qEnvironmentVariable("ZELTA_BUILD_DIR");
    QCOMPARE(Arquivo_Ajuda(build), QDir(build).filePath(QStringLiteral("Ajuda.hlp")));
}

void TstPacote::entrada_de_menu()
{
    const QString arquivo = Caminho(QStringLiteral("usr/share/applications/zeltanet.desktop"));
    if (Existe_Programa(QStringLiteral("desktop-file-validate"))) {
        const auto r = Executar(QStringLiteral("desktop-file-validate"), {arquivo});
        QVERIFY2(r.terminou && r.codigo == 0 && r.saida.trimmed().isEmpty(), qPrintable(r.saida));
    } else {
        qInfo("desktop-file-validate not installed (package desktop-file-utils): own checks only");
    }
    const auto e = Ler_Entrada_Desktop(arquivo);
    QCOMPARE(e.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(e.value(QStringLiteral("Name")), QStringLiteral("ZELTA Net"));
    QVERIFY(!e.value(QStringLiteral("Comment")).isEmpty());
    QVERIFY(e.value(QStringLiteral("Categories")).split(u';').contains(QStringLiteral("Office")));
    QCOMPARE(e.value(QStringLiteral("Icon")), QStringLiteral("zeltanet"));
    QCOMPARE(e.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    // The program it starts is the one the package installs on the PATH.
    QVERIFY(QFileInfo(Caminho(QStringLiteral("usr/bin/") + e.value(QStringLiteral("TryExec")))).isExecutable());
    const QStringList args = Argumentos_Exec(e.value(QStringLiteral("Exec")));
    QVERIFY2(!args.isEmpty() && args.last().endsWith(QStringLiteral("exec zeltanet")), qPrintable(args.join(u'|')));
}

void TstPacote::icones()
{
    for (int t : {16, 32, 48, 64, 128, 256}) {
        const QImage png(Caminho(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/zeltanet.png").arg(t)));
        QVERIFY2(!png.isNull(), qPrintable(QString::number(t)));
        QCOMPARE(png.size(), QSize(t, t));
        QVERIFY(png.hasAlphaChannel());
    }
    QFile svg(Caminho(QStringLiteral("usr/share/icons/hicolor/scalable/apps/zeltanet.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QStringLiteral("svg"));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

void TstPacote::servidor_desligado()
{
    QFile unidade(Caminho(QStringLiteral("usr/lib/systemd/system/zelta-servidor.service")));
    QVERIFY(unidade.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString texto = QString::fromUtf8(unidade.readAll());
    QVERIFY(texto.contains(QStringLiteral(
        "\nExecStart=/usr/bin/zelta-servidor --porta 2500 --dados /var/lib/zelta-servidor\n")));
    // systemd creates the data folder named in the command line, writable by the service's user.
    QVERIFY(texto.contains(QStringLiteral("\nStateDirectory=zelta-servidor\n")));
    QVERIFY(texto.contains(QStringLiteral("\nWantedBy=multi-user.target\n")));
    QVERIFY(texto.contains(QStringLiteral("\nDocumentation=man:zelta-servidor(1)\n")));

    // Shipped, not enabled: no link under etc/, and no maintainer script that enables or starts it.
    QVERIFY(!QFileInfo::exists(Caminho(QStringLiteral("etc"))));
    QTemporaryDir controle;
    const auto r = Executar(QStringLiteral("dpkg-deb"), {QStringLiteral("-e"), deb_, controle.path()});
    QVERIFY2(r.terminou && r.codigo == 0, qPrintable(r.saida));
    for (const char *s : {"postinst", "prerm", "postrm"}) {
        const QString script = controle.filePath(QLatin1String(s));
        QVERIFY2(QFileInfo(script).isExecutable(), s);
        QFile f(script);
        QVERIFY(f.open(QIODevice::ReadOnly));
        static const QRegularExpression liga(QStringLiteral(R"(\b(enable|start|restart)\b)"));
        QVERIFY2(!QString::fromUtf8(f.readAll()).contains(liga), s);
        const auto sintaxe = Executar(QStringLiteral("sh"), {QStringLiteral("-n"), script});
        QVERIFY2(sintaxe.terminou && sintaxe.codigo == 0, qPrintable(sintaxe.saida));
    }
}

void TstPacote::lintian_sem_erros_nem_avisos()
{
    if (!Existe_Programa(QStringLiteral("lintian")))
        QFAIL("lintian not installed (scripts/install-deps --tests installs it)");
    const auto r = Executar(QStringLiteral("lintian"), {QStringLiteral("--tag-display-limit"), QStringLiteral("0"), deb_}, 300);
    QVERIFY2(r.terminou, "lintian did not finish in 300 s");
    QStringList achados;
    for (const QString &linha : r.saida.split(u'\n'))
        if (linha.startsWith(QStringLiteral("E: ")) || linha.startsWith(QStringLiteral("W: ")))
            achados << linha;
    QVERIFY2(achados.isEmpty(), qPrintable(achados.join(u'\n')));
    QVERIFY2(r.codigo == 0, qPrintable(r.saida));
}

QTEST_MAIN(TstPacote)
#include "tst_pacote.moc"
