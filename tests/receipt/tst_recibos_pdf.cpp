// A set of receipts written into a folder: what was written and what failed with its reason,
// never an empty or cut file, never a write through a link planted at a receipt's name. The
// full disk is a file-size limit on this process.
#include "engine/print/Recibo_Pdf.h"
#include "engine/print/Recibos_Pdf.h"
#include "tests/receipt/Registros_Teste.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
QByteArray Conteudo(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string Registro_Codigo(const std::string &codigo)
{
    Campos_Teste c;
    c.codigo = codigo;
    return Registro_Teste(c);
}

// While it lives, files of this process cannot grow past `bytes` (writes fail instead of the
// process being killed).
class Limite_Arquivo {
public:
    explicit Limite_Arquivo(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &antes_);
        sinal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit novo = antes_;
        novo.rlim_cur = bytes;
        ok = ::setrlimit(RLIMIT_FSIZE, &novo) == 0;
    }
    ~Limite_Arquivo()
    {
        ::setrlimit(RLIMIT_FSIZE, &antes_);
        std::signal(SIGXFSZ, sinal_);
    }
    bool ok = false;

private:
    rlimit antes_{};
    void (*sinal_)(int) = nullptr;
};
} // namespace

class tst_recibos_pdf : public QObject {
    Q_OBJECT

    QTemporaryDir raiz;

private slots:
    void grava_todos_e_diz_quais()
    {
        const QString pasta = raiz.filePath("nova/recibos");
        const std::vector<std::string> registros{Registro_Codigo("00000001"), Registro_Codigo("00000002"),
                                                 Registro_Codigo("00000001")};
        const Gravacao_Recibos g = Gravar_Recibos_Pdf(registros, pasta);
        QVERIFY(g.falhas.empty());
        QCOMPARE(g.gravados.size(), size_t(2)); // the record given twice, once
        for (const Recibo_Pdf_Gravado &r : g.gravados) {
            QCOMPARE(QFileInfo(r.caminho).fileName(), QString::fromStdString(Nome_Arquivo_Recibo(r.registro)));
            QVERIFY(Conteudo(r.caminho).startsWith("%PDF-"));
            QVERIFY(r.motivo.isEmpty());
        }
        QCOMPARE(QDir(pasta).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).size(), 2);
    }

    // A link at a receipt's name is replaced by the receipt; the file it pointed to is untouched.
    void link_no_nome_nao_e_seguido()
    {
        const QString pasta = raiz.filePath("link");
        QVERIFY(QDir().mkpath(pasta));
        const std::string r = Registro_Codigo("00000003");
        const QString alvo = raiz.filePath("alheio.txt");
        QFile f(alvo);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("alheio") == 6);
        f.close();
        const QString nome = QDir(pasta).filePath(QString::fromStdString(Nome_Arquivo_Recibo(r)));
        QVERIFY(QFile::link(alvo, nome));
        const Gravacao_Recibos g = Gravar_Recibos_Pdf({r}, pasta);
        QCOMPARE(g.gravados.size(), size_t(1));
        QCOMPARE(Conteudo(alvo), QByteArray("alheio"));
        QVERIFY(!QFileInfo(nome).isSymLink());
        QVERIFY(Conteudo(nome).startsWith("%PDF-"));
    }

    // A full disk: every receipt fails with its Portuguese reason, none is left empty or cut, a
    // receipt written before stays whole, and no temporary is left in the folder.
    void disco_cheio_nada_deixa_pela_metade()
    {
        const QString pasta = raiz.filePath("cheio");
        const std::string antigo = Registro_Codigo("00000004");
        const Gravacao_Recibos antes = Gravar_Recibos_Pdf({antigo}, pasta);
        QCOMPARE(antes.gravados.size(), size_t(1));
        const QByteArray inteiro = Conteudo(antes.gravados[0].caminho);

        Gravacao_Recibos g;
        {
            const Limite_Arquivo limite(1000); // a receipt takes several times this
            QVERIFY(limite.ok);
            g = Gravar_Recibos_Pdf({Registro_Codigo("00000005"), antigo, Registro_Codigo("00000006")}, pasta);
        }
        QVERIFY(g.gravados.empty());
        QCOMPARE(g.falhas.size(), size_t(3));
        for (const Recibo_Pdf_Gravado &f : g.falhas)
            QCOMPARE(f.motivo, QStringLiteral("Arquivo grande demais"));
        QCOMPARE(Conteudo(antes.gravados[0].caminho), inteiro);
        QCOMPARE(QDir(pasta).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{QFileInfo(antes.gravados[0].caminho).fileName()});
    }

    // A folder that cannot be made, and a folder at a receipt's name: reasons, the rest written.
    void pasta_impossivel_e_nome_ocupado()
    {
        QFile arquivo(raiz.filePath("arquivo"));
        QVERIFY(arquivo.open(QIODevice::WriteOnly));
        arquivo.close();
        const Gravacao_Recibos sem_pasta = Gravar_Recibos_Pdf({Registro_Codigo("00000007")}, raiz.filePath("arquivo"));
        QCOMPARE(sem_pasta.falhas.size(), size_t(1));
        QCOMPARE(sem_pasta.falhas[0].motivo, QStringLiteral("a pasta não pôde ser criada"));

        const QString pasta = raiz.filePath("ocupado");
        const std::string ocupado = Registro_Codigo("00000008");
        QVERIFY(QDir(pasta).mkpath(QString::fromStdString(Nome_Arquivo_Recibo(ocupado))));
        const Gravacao_Recibos g = Gravar_Recibos_Pdf({ocupado, Registro_Codigo("00000009")}, pasta);
        QCOMPARE(g.falhas.size(), size_t(1));
        QCOMPARE(g.falhas[0].registro, ocupado);
        QCOMPARE(g.falhas[0].motivo, QStringLiteral("É um diretório"));
        QCOMPARE(g.gravados.size(), size_t(1));
        QCOMPARE(QDir(pasta).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).size(), 2);
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    tst_recibos_pdf t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_recibos_pdf.moc"
