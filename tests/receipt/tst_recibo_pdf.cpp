// The receipt written to a PDF file: its suggested name and title, the same text as the printed
// page for both file kinds, and failures that leave the target as it was. Runs under a
// QGuiApplication: writing a PDF must not need widgets.
#include "engine/print/Impressao.h"
#include "gui/receipt/Imprime_Recibo.h"
#include "engine/print/Recibo_Pdf.h"
#include "tests/common/RoteiroMensagens.h"
#include "tests/receipt/Registros_Teste.h"
#include "engine/print/Impressoras.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
// pdftotext / pdfinfo output of a file; empty when the tool fails.
QString Saida(const QString &ferramenta, const QStringList &args)
{
    QProcess p;
    p.start(ferramenta, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The page's text with the moment of printing blanked, so two printings a second apart compare.
QString Texto_Sem_Momento(QString texto)
{
    static const QRegularExpression momento(QStringLiteral("\\d\\d/\\d\\d/\\d{4}(?= *\\n)|\\d\\d:\\d\\d:\\d\\d(?= *\\n)"));
    return texto.replace(momento, QStringLiteral("@"));
}
} // namespace

class tst_recibo_pdf : public QObject {
    Q_OBJECT

    QTemporaryDir pasta;
    QString pdftotext, pdfinfo;

    QString Texto(const QString &pdf) { return Saida(pdftotext, {"-layout", "-enc", "UTF-8", pdf, "-"}); }

private slots:
    void initTestCase()
    {
        pdftotext = QStandardPaths::findExecutable("pdftotext");
        pdfinfo = QStandardPaths::findExecutable("pdfinfo");
        if (pdftotext.isEmpty() || pdfinfo.isEmpty())
            QSKIP("pdftotext / pdfinfo (poppler-utils) are not installed");
    }

    void nome_e_titulo_do_recibo()
    {
        Campos_Teste c;
        c.id = "11222333000181";
        c.mes = "12";
        c.ano = "2026";
        c.codigo = "00000005";
        QCOMPARE(Nome_Arquivo_Recibo(Registro_Teste(c)), std::string("11222333000181-122026-00000005.pdf"));
        QCOMPARE(Titulo_Recibo(Registro_Teste(c)),
                 QString("Recibo de Entrega 00000005 - CNPJ 11.222.333/0001-81 - 12/2026"));

        const std::string cei = Registro_Teste(Campos_Acerto());
        QCOMPARE(Nome_Arquivo_Recibo(cei), std::string("00123456789012-112023-00054321.pdf"));
        QCOMPARE(Titulo_Recibo(cei), QString("Recibo de Entrega 00054321 - CEI 12.345.678.901-2 - 11/2023"));

        // Nothing of a name may leave the folder: only letters and digits of each field are kept.
        c.id = "../../etc/x  ";
        c.mes = "  ";
        c.ano = "    ";
        c.codigo = "12/45 78";
        QCOMPARE(Nome_Arquivo_Recibo(Registro_Teste(c)), std::string("etcx-124578.pdf"));
        QCOMPARE(Nome_Arquivo_Recibo(std::string()), std::string("Recibo.pdf"));
    }

    void mesmo_texto_do_papel_data()
    {
        QTest::addColumn<std::string>("registro");
        QTest::newRow("movimento") << Registro_Teste();
        QTest::newRow("acerto") << Registro_Teste(Campos_Acerto());
    }
    void mesmo_texto_do_papel()
    {
        QFETCH(std::string, registro);
        const QString papel = pasta.filePath("papel.pdf"), arquivo = pasta.filePath("arquivo.pdf");
        // The paper receipt, printed through the printer's path into a file.
        Trocar_Fonte_Impressoras({[] { return std::vector<QString>{"Laser_A"}; }, [] { return QString("Laser_A"); }});
        Trocar_Saida_Impressao(papel);
        RoteiroMensagens roteiro;
        Imprime_Recibo(registro, "Laser_A");
        Trocar_Saida_Impressao({});
        Trocar_Fonte_Impressoras({});
        QVERIFY(roteiro.vistas().empty());

        QString erro = "untouched";
        QVERIFY(Gravar_Recibo_Pdf(registro, arquivo, &erro));
        QCOMPARE(erro, QString("untouched"));

        const QString texto = Texto(arquivo);
        QVERIFY(texto.contains(QString::fromUtf8("RECIBO DE ENTREGA DO MEIO MAGNÉTICO")));
        QCOMPARE(Texto_Sem_Momento(texto), Texto_Sem_Momento(Texto(papel)));
        const QString info = Saida(pdfinfo, {"-enc", "UTF-8", arquivo});
        QVERIFY2(info.contains(QRegularExpression("Title: +" + QRegularExpression::escape(Titulo_Recibo(registro)) + "\\n")),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Pages: +1\\n")), qPrintable(info));
    }

    // The saved page has its content in the middle of the A4 sheet, at least 10 mm from each edge.
    void conteudo_centrado_na_folha()
    {
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        QVERIFY(!pdftoppm.isEmpty());
        const QString arquivo = pasta.filePath("centrado.pdf"), imagem = pasta.filePath("centrado");
        QVERIFY(Gravar_Recibo_Pdf(Registro_Teste(), arquivo, nullptr));
        QProcess p;
        p.start(pdftoppm, {"-r", "200", "-gray", "-singlefile", arquivo, imagem});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        const QImage folha(imagem + ".pgm");
        QVERIFY(!folha.isNull());
        int esquerda = folha.width(), direita = -1;
        for (int y = 0; y < folha.height(); ++y)
            for (int x = 0; x < folha.width(); ++x)
                if (qGray(folha.pixel(x, y)) < 128) {
                    esquerda = std::min(esquerda, x);
                    direita = std::max(direita, x);
                }
        QVERIFY(direita > esquerda);
        const double mm = 25.4 / 200;
        const double margem_esquerda = esquerda * mm, margem_direita = (folha.width() - 1 - direita) * mm;
        const QString medidas = QString("%1 mm, %2 mm").arg(margem_esquerda).arg(margem_direita);
        QVERIFY2(qAbs(folha.width() * mm - 210) < 1, qPrintable(medidas));
        QVERIFY2(margem_esquerda >= 10 && margem_direita >= 10, qPrintable(medidas));
        QVERIFY2(qAbs(margem_esquerda - margem_direita) <= 1, qPrintable(medidas));
    }

    void falha_diz_o_motivo_e_nada_perde()
    {
        const std::string r = Registro_Teste();
        QString erro;
        QVERIFY(!Gravar_Recibo_Pdf(r, pasta.filePath("nao/existe/recibo.pdf"), &erro));
        QVERIFY(!erro.isEmpty());
        QVERIFY(!Gravar_Recibo_Pdf(r, pasta.filePath("nao/existe/recibo.pdf"), nullptr));

        // A folder where the file should go stays a folder, and nothing is left beside it.
        QTemporaryDir alvo;
        QVERIFY(QDir(alvo.path()).mkdir("recibo.pdf"));
        erro.clear();
        QVERIFY(!Gravar_Recibo_Pdf(r, alvo.filePath("recibo.pdf"), &erro));
        QVERIFY(!erro.isEmpty());
        QVERIFY(QFileInfo(alvo.filePath("recibo.pdf")).isDir());
        QCOMPARE(QDir(alvo.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"recibo.pdf"});

        // Replacing a file: the old one stays whole until the new one is complete.
        const QString existente = alvo.filePath("antigo.pdf");
        QVERIFY(Gravar_Recibo_Pdf(Registro_Teste(Campos_Acerto()), existente, &erro));
        QVERIFY(Gravar_Recibo_Pdf(r, existente, &erro));
        QVERIFY(Texto(existente).contains("00012345"));

        // A link planted at the name is replaced; the file it pointed at is untouched.
        const QString alheio = alvo.filePath("alheio.txt");
        QFile(alheio).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(alheio, alvo.filePath("ligado.pdf")));
        QVERIFY(Gravar_Recibo_Pdf(r, alvo.filePath("ligado.pdf"), &erro));
        QVERIFY(!QFileInfo(alvo.filePath("ligado.pdf")).isSymLink());
        QCOMPARE(QFileInfo(alheio).size(), qint64(0));
        QVERIFY(Texto(alvo.filePath("ligado.pdf")).contains("00012345"));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    tst_recibo_pdf t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_recibo_pdf.moc"
