#include "gui/cis/CIS_000.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

const QString Titulo_Aplicacao = QStringLiteral("ZELTA Net - Transmissão via Internet");
std::string Dados_Recibo;
QString Impressora_Atual;
QString Impressora_Salva;

namespace {
Mostrador_Mensagem &Mostrador()
{
    static Mostrador_Mensagem m;
    return m;
}

Resposta Caixa_Real(const QString &texto, Icone icone, Botoes botoes)
{
    QMessageBox caixa(QApplication::activeWindow());
    caixa.setWindowTitle(Titulo_Aplicacao);
    QString visivel = texto;
    visivel.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    caixa.setText(visivel);
    switch (icone) {
    case Icone::Nenhum: caixa.setIcon(QMessageBox::NoIcon); break;
    case Icone::Exclamacao: caixa.setIcon(QMessageBox::Warning); break;
    case Icone::Pergunta: caixa.setIcon(QMessageBox::Question); break;
    case Icone::Informacao: caixa.setIcon(QMessageBox::Information); break;
    }
    if (botoes == Botoes::Ok) {
        caixa.setStandardButtons(QMessageBox::Ok);
        caixa.exec();
        return Resposta::Ok;
    }
    caixa.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    caixa.setDefaultButton(QMessageBox::Yes);
    return caixa.exec() == QMessageBox::Yes ? Resposta::Sim : Resposta::Nao;
}

double Dpi_X()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double Dpi_Y()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}
} // namespace

Resposta Caixa_Mensagem(const QString &texto, Icone icone, Botoes botoes)
{
    if (Mostrador())
        return Mostrador()(texto, icone, botoes);
    return Caixa_Real(texto, icone, botoes);
}

Mostrador_Mensagem Trocar_Mostrador_Mensagem(Mostrador_Mensagem novo)
{
    Mostrador_Mensagem antigo = std::move(Mostrador());
    Mostrador() = std::move(novo);
    return antigo;
}

void Ponteiro_Ampulheta()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void Ponteiro_Padrao()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

int Twips_X(double twips) { return qRound(twips * Dpi_X() / 1440.0); }
int Twips_Y(double twips) { return qRound(twips * Dpi_Y() / 1440.0); }
double Px_Para_Twips_X(int px) { return px * 1440.0 / Dpi_X(); }
double Px_Para_Twips_Y(int px) { return px * 1440.0 / Dpi_Y(); }

void Geometria_Twips(QWidget *controle, double esquerda, double topo, double largura, double altura)
{
    controle->setGeometry(Twips_X(esquerda), Twips_Y(topo), Twips_X(largura), Twips_Y(altura));
}

void Fonte_Que_Cabe(QWidget *controle, double maximo_pontos, const std::function<bool(const QFontMetrics &)> &cabe)
{
    QFont f = controle->font();
    f.setPointSizeF(maximo_pontos);
    while (f.pointSizeF() > 6 && !cabe(QFontMetrics(f)))
        f.setPointSizeF(f.pointSizeF() - 0.25);
    controle->setFont(f);
}

std::pair<double, double> Posicao_Centralizada(double largura_janela, double altura_janela,
                                              const Referencia_Centro &ref,
                                              double largura_tela, double altura_tela)
{
    double esquerda = ref.desloc_esquerda + (ref.largura - largura_janela) / 2;
    double topo = ref.desloc_topo + (ref.altura - altura_janela) / 2;
    if (esquerda < 100 || esquerda + largura_janela > largura_tela)
        esquerda = 100;
    if (topo < 100 || topo + altura_janela > altura_tela)
        topo = 100;
    return {esquerda, topo};
}

void Centraliza_Form(QWidget *janela)
{
    const QScreen *tela = QGuiApplication::primaryScreen();
    const QRect geo_tela = tela ? tela->geometry() : QRect(0, 0, 1024, 768);
    const double tela_l = Px_Para_Twips_X(geo_tela.width());
    const double tela_a = Px_Para_Twips_Y(geo_tela.height());

    // An MDI child is placed inside the main window's client area; the frame it moves is its sub-window.
    QWidget *alvo = janela;
    Referencia_Centro ref{tela_l, tela_a, 0, 0};
    if (auto *sub = qobject_cast<QMdiSubWindow *>(janela->parentWidget() ? janela->parentWidget() : nullptr)) {
        alvo = sub;
        if (QMdiArea *area = sub->mdiArea()) {
            const QWidget *principal = area->window();
            ref = {Px_Para_Twips_X(area->viewport()->width()), Px_Para_Twips_Y(area->viewport()->height()),
                   Px_Para_Twips_X(principal->x()), Px_Para_Twips_Y(principal->y())};
        }
    }
    const QSize tamanho = alvo->frameGeometry().size();
    const auto [esq, topo] = Posicao_Centralizada(Px_Para_Twips_X(tamanho.width()),
                                                  Px_Para_Twips_Y(tamanho.height()), ref, tela_l, tela_a);
    alvo->move(Twips_X(esq), Twips_Y(topo));
}

namespace {
std::function<void(bool)> &Acoes_Principal()
{
    static std::function<void(bool)> f;
    return f;
}
} // namespace

void Definir_Acoes_Principal(std::function<void(bool)> f) { Acoes_Principal() = std::move(f); }

void Habilitar_Acoes_Principal(bool habilitar)
{
    if (Acoes_Principal())
        Acoes_Principal()(habilitar);
}

namespace {
// What Qt's own Brazilian Portuguese file leaves untranslated in its file dialogs: the kind of a
// folder or drive in the "Tipo" column.
class Complemento_Traducao : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *contexto, const char *texto, const char *, int) const override
    {
        if (qstrcmp(contexto, "QAbstractFileIconProvider") != 0)
            return QString();
        static const std::pair<const char *, const char *> termos[] = {
            {"Folder", "Pasta"}, {"Drive", "Unidade"}, {"Alias", "Atalho"},
            {"Shortcut", "Atalho"}, {"Unknown", "Desconhecido"}};
        for (const auto &[ingles, portugues] : termos)
            if (qstrcmp(texto, ingles) == 0)
                return QString::fromUtf8(portugues);
        return QString();
    }
};

bool Locale_Indefinido(const char *variavel)
{
    const QByteArray v = qgetenv(variavel);
    return v.isEmpty() || v == "C" || v == "POSIX" || v.startsWith("C.");
}
} // namespace

void Preparar_Datas_Portugues()
{
    // Qt's file dialogs write dates by the system locale, which only the environment names; a
    // session that names a locale keeps it.
    if (Locale_Indefinido("LC_ALL") && Locale_Indefinido("LC_TIME") && Locale_Indefinido("LANG"))
        qputenv("LC_TIME", "pt_BR.UTF-8");
}

void Carregar_Traducao(QApplication &app)
{
    const QLocale portugues(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(portugues); // file kinds, sizes and dates written through QLocale()
    auto *t = new QTranslator(&app);
    if (t->load(portugues, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(t);
    app.installTranslator(new Complemento_Traducao(&app));
}
