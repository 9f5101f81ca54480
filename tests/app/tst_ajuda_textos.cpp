// The manual tells the truth: every text it quotes from the screen is a text of the program, every
// menu item is described, every section is in the contents list and every link leads somewhere.
#include "gui/app/frmPrincipal.h"

#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

namespace {
// Where a variable part (<var>) or a line break stood in a quoted text.
constexpr QChar Corte = QChar(0x1F);

QString Ler(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString Manual()
{
    return Ler(QDir(qEnvironmentVariable("ZELTA_BUILD_DIR")).filePath(QStringLiteral("Ajuda.hlp")));
}

// The text a reader sees, with a cut where a variable part or a line break stands.
QString Visivel(QString html)
{
    html.replace(QRegularExpression(QStringLiteral("<var>.*?</var>|<br>"),
                                    QRegularExpression::DotMatchesEverythingOption),
                 QString(Corte));
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html.simplified();
}

// The texts the manual quotes from the screen: the headings of the list of messages (<dt>), the
// unhandled errors it names, and every text in double quotes.
QStringList Citacoes(const QString &html)
{
    QStringList c;
    const auto dt = QRegularExpression(QStringLiteral("<dt[^>]*>(.*?)</dt>"),
                                       QRegularExpression::DotMatchesEverythingOption);
    for (const auto &m : dt.globalMatch(html))
        c << Visivel(m.captured(1));
    const auto nao_tratado = QRegularExpression(QStringLiteral("<b>(Erro não tratado:.*?)</b>"),
                                                QRegularExpression::DotMatchesEverythingOption);
    for (const auto &m : nao_tratado.globalMatch(html))
        c << Visivel(m.captured(1));
    const QString corpo = Visivel(html.mid(html.indexOf(QStringLiteral("<body>"))));
    for (const auto &m : QRegularExpression(QStringLiteral("\"([^\"]+)\"")).globalMatch(corpo))
        c << m.captured(1);
    return c;
}

// The string literals of a C++ source, adjacent literals joined, escapes decoded, blanks and line
// ends folded to one space; comments and character literals are skipped.
QStringList Literais(const QString &fonte)
{
    QStringList saida;
    QString atual;
    bool juntando = false; // only blanks since the last literal ended
    for (qsizetype i = 0; i < fonte.size(); ++i) {
        const QChar c = fonte[i];
        if (c == u'/' && i + 1 < fonte.size() && (fonte[i + 1] == u'/' || fonte[i + 1] == u'*')) {
            const bool linha = fonte[i + 1] == u'/';
            const qsizetype fim = fonte.indexOf(linha ? QStringLiteral("\n") : QStringLiteral("*/"), i + 2);
            i = fim < 0 ? fonte.size() : fim + (linha ? 0 : 1);
        } else if (c == u'\'' || c == u'"') {
            QString lido;
            for (++i; i < fonte.size() && fonte[i] != c; ++i) {
                if (fonte[i] == u'\\' && i + 1 < fonte.size()) {
                    const QChar e = fonte[++i];
                    lido += e == u'r' || e == u'n' || e == u't' ? QChar(u' ') : e;
                } else {
                    lido += fonte[i];
                }
            }
            if (c == u'"') {
                atual = juntando ? atual + lido : lido;
                juntando = true;
            }
        } else if (!c.isSpace() && juntando) {
            saida << atual.simplified();
            juntando = false;
        }
    }
    if (juntando)
        saida << atual.simplified();
    return saida;
}

// Every string literal of the program's two trees, one a line.
QString Textos_Programa()
{
    QStringList todos;
    const QDir raiz(qEnvironmentVariable("ZELTA_SOURCE_DIR"));
    for (const char *arvore : {"engine", "gui"}) {
        QDirIterator it(raiz.filePath(QString::fromLatin1(arvore)),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            todos << Literais(Ler(it.next()));
    }
    return todos.join(u'\n');
}

// The parts of a quoted text that must be found in the program as they stand. An unhandled error
// is built from its prefix, a number and the description.
QStringList Trechos(const QString &citacao)
{
    static const QRegularExpression nao_tratado(QStringLiteral("^(Erro não tratado:) \\d+ - (.+)$"));
    const auto m = nao_tratado.match(citacao);
    QStringList partes = m.hasMatch() ? QStringList{m.captured(1), m.captured(2)} : citacao.split(Corte);
    QStringList t;
    for (const QString &p : partes)
        if (p.trimmed().contains(QRegularExpression(QStringLiteral("\\w"))))
            t << p.trimmed();
    return t;
}

// The HTML of the section with this id, up to the next section.
QString Secao(const QString &html, const QString &id)
{
    const qsizetype inicio = html.indexOf(QStringLiteral("<h2 id=\"%1\">").arg(id));
    if (inicio < 0)
        return QString();
    return html.mid(inicio, html.indexOf(QStringLiteral("<h2"), inicio + 1) - inicio);
}
} // namespace

class TstAjudaTextos : public QObject {
    Q_OBJECT
private slots:
    void citacoes_sao_textos_do_programa();
    void leitura_dos_fontes();
    void menus_descrevem_cada_item();
    void conteudo_e_ligacoes_completos();
};

void TstAjudaTextos::citacoes_sao_textos_do_programa()
{
    const QString html = Manual();
    QVERIFY(!html.isEmpty());
    QCOMPARE(Visivel(html).count(u'"') % 2, 0); // every quote is closed
    const QString programa = Textos_Programa();
    QVERIFY(programa.contains(QStringLiteral("10 - A máquina servidora não responde.")));
    const QStringList citacoes = Citacoes(html);
    QVERIFY2(citacoes.size() > 25, qPrintable(QString::number(citacoes.size())));
    QStringList faltam;
    for (const QString &c : citacoes) {
        const QStringList t = Trechos(c);
        if (t.isEmpty())
            faltam << QStringLiteral("(vazio) ") + c;
        for (const QString &trecho : t)
            if (!programa.contains(trecho))
                faltam << trecho;
    }
    QVERIFY2(faltam.isEmpty(), qPrintable(faltam.join(QStringLiteral("\n"))));
}

// The reading of the sources the check above relies on.
void TstAjudaTextos::leitura_dos_fontes()
{
    const QString fonte =
        QStringLiteral("// \"comentário\"\n"
                       "auto a = QStringLiteral(\"08 - Este \" /* \"não\" */\n   \"arquivo\\r\\rEsta\");\n"
                       "char c = '\"'; auto b = u\"Diz \\\"Zelta.ret\\\"\" + x + \"fim\";");
    // A comment between two literals does not part them, as in C++.
    QCOMPARE(Literais(fonte), QStringList({QStringLiteral("08 - Este arquivo Esta"),
                                           QStringLiteral("Diz \"Zelta.ret\""), QStringLiteral("fim")}));
    QCOMPARE(Trechos(Visivel(QStringLiteral("Código <var>x</var> em<br>Esta"))),
             QStringList({QStringLiteral("Código"), QStringLiteral("em"), QStringLiteral("Esta")}));
    QCOMPARE(
        Trechos(Visivel(QStringLiteral("Erro não tratado: 5&nbsp;&nbsp;-&nbsp;&nbsp;Argumento inválido"))),
        QStringList({QStringLiteral("Erro não tratado:"), QStringLiteral("Argumento inválido")}));
}

void TstAjudaTextos::menus_descrevem_cada_item()
{
    const QString menus = Secao(Manual(), QStringLiteral("menus"));
    QVERIFY(!menus.isEmpty());
    frmPrincipal w;
    QStringList faltam;
    for (const QMenu *m : {w.mnuCad, w.mnuConexao, w.mnuAjuda})
        for (const QAction *a : m->actions())
            if (!a->isSeparator()
                && !menus.contains(QStringLiteral("<li><b>%1</b>").arg(a->text().remove(u'&'))))
                faltam << a->text();
    QVERIFY2(faltam.isEmpty(), qPrintable(faltam.join(u',')));
}

void TstAjudaTextos::conteudo_e_ligacoes_completos()
{
    const QString html = Manual();
    const QString conteudo = html.mid(html.indexOf(QStringLiteral("<h2>Conteúdo</h2>")));
    QStringList ids, faltam;
    for (const auto &m : QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(html))
        ids << m.captured(1);
    for (const auto &m : QRegularExpression(QStringLiteral("<h2 id=\"([^\"]+)\">")).globalMatch(html))
        if (!conteudo.left(conteudo.indexOf(QStringLiteral("</ul>")))
                 .contains(QStringLiteral("href=\"#%1\"").arg(m.captured(1))))
            faltam << QStringLiteral("conteúdo: ") + m.captured(1);
    for (const auto &m : QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html))
        if (!ids.contains(m.captured(1)))
            faltam << QStringLiteral("ligação: ") + m.captured(1);
    QVERIFY2(faltam.isEmpty(), qPrintable(faltam.join(u',')));
}

QTEST_MAIN(TstAjudaTextos)
#include "tst_ajuda_textos.moc"
