#include "gui/receipt/frmVisualizar.h"

#include "gui/cis/CIS_000.h"
#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
QString Q(const std::string &bytes) { return De_1252(bytes); }

// How a label sized to its caption keeps its place: left edge, right edge or centre.
enum class Ajuste { Nenhum, Esquerda, Direita, Centro };

struct Posicao {
    double esquerda, topo, largura, altura;
    Ajuste ajuste;
};

// Design positions in twips inside the frame (no size for labels sized to their caption).
const std::map<QString, Posicao> &Posicoes()
{
    static const std::map<QString, Posicao> p{
        {"Label4", {120, 240, 6375, 300, Ajuste::Centro}},
        {"Label1", {2040, 600, 2565, 240, Ajuste::Centro}},
        {"Label11", {120, 960, 3252, 360, Ajuste::Nenhum}},
        {"Label10", {120, 1320, 3252, 360, Ajuste::Nenhum}},
        {"Label9", {6495, 1320, 0, 0, Ajuste::Direita}},
        {"Label12", {120, 1635, 0, 0, Ajuste::Esquerda}},
        {"Label13", {120, 1890, 0, 0, Ajuste::Esquerda}},
        {"Label14", {120, 2150, 2292, 288, Ajuste::Nenhum}},
        {"Label2", {6495, 2280, 0, 0, Ajuste::Direita}},
        {"Label3", {6495, 2520, 0, 0, Ajuste::Direita}},
        {"Label5", {6495, 2760, 0, 0, Ajuste::Direita}},
        {"Label15", {120, 2760, 1450, 285, Ajuste::Nenhum}},
        {"Label6", {6495, 3000, 0, 0, Ajuste::Direita}},
        {"Label16", {120, 3000, 2175, 285, Ajuste::Nenhum}},
        {"Label7", {6495, 3240, 0, 0, Ajuste::Direita}},
        {"Label8", {6495, 3480, 0, 0, Ajuste::Direita}},
        {"Label17", {120, 3840, 4332, 420, Ajuste::Nenhum}},
    };
    return p;
}

// Places a label; one sized to its caption takes its text's size around its anchor
// (for right-aligned ones `esquerda` is the right edge, for centred ones the box's centre is kept).
void Posicionar(QLabel *l, const Posicao &p)
{
    if (p.ajuste == Ajuste::Nenhum) {
        Geometria_Twips(l, p.esquerda, p.topo, p.largura, p.altura);
        // A substitute font may be wider than the design font: never cut a caption.
        l->resize(l->size().expandedTo(l->sizeHint()));
        return;
    }
    const QSize t = l->sizeHint();
    int x = Twips_X(p.esquerda);
    if (p.ajuste == Ajuste::Direita)
        x -= t.width();
    else if (p.ajuste == Ajuste::Centro)
        x += (Twips_X(p.largura) - t.width()) / 2;
    l->setGeometry(x, Twips_Y(p.topo), t.width(), t.height());
}

// Where a label draws its text's baseline, from its own top: QLabel centres a line vertically
// unless told otherwise.
double Linha_Base(const QLabel *l)
{
    const QFontMetricsF m(l->font());
    const QRectF c = l->contentsRect();
    const double topo = (l->alignment() & Qt::AlignTop) ? c.top() : c.top() + (c.height() - m.height()) / 2;
    return topo + m.ascent();
}

QFont Fonte(double pontos)
{
    QFont f;
    // Without the design font, Liberation Sans keeps the captions near their design widths.
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    f.setPointSizeF(pontos);
    f.setBold(true);
    return f;
}

QString Legenda_Total(const char *rotulo, std::string_view contador)
{
    return QString::fromUtf8(rotulo) + Q(Contador_Para_Exibir(contador));
}
} // namespace

std::map<QString, QString> Legendas_Visualizar(const std::string &r)
{
    using namespace Recibo;
    std::map<QString, QString> l;
    const bool zelta = Tipo_Arquivo(r) == "1";
    const std::string id = Preencher_Zeros(Identificador(r), 14);
    const std::string tipo_id = Tipo_Identificador(r);

    l["Label12"] = QString::fromUtf8(tipo_id == "1" ? "CNPJ: " : "CEI: ") +
                   Q(Identificador_Para_Exibir(tipo_id, id)) + QStringLiteral(" - ") + Q(Razao_Social(r));
    l["Label13"] = QStringLiteral("END.: ") + Q(Endereco(r));
    l["Label14"] = QStringLiteral("CEP: ") + Q(CEP_Para_Exibir(r)) + QStringLiteral(" - ") + Q(UF(r));
    l["Label16"] = Q(Data_Para_Exibir(r)) + QStringLiteral(" às ") + Q(Hora_Para_Exibir(r));
    l["Label17"] = QStringLiteral("Código do Recebimento: ") + Q(Codigo_Recebimento(r));
    const std::string mes = Texto_Mes(r);
    l["Label9"] = mes.empty() ? QStringLiteral(" ") : QStringLiteral("Referência: ") + Q(mes + Ano_Competencia(r));

    l["Label2"] = Legenda_Total("Total de Autorizados Informados: ", "1");
    if (zelta) {
        l["Label3"] = Legenda_Total("Total de Estabelecimentos Informados: ", Total(r, 1));
        l["Label5"] = Legenda_Total("Total de Movimentações Informadas: ", Total(r, 2));
        l["Label6"] = Legenda_Total("Total de Registros no Arquivo ZELTA: ", Total(r, 3));
        l["Label7"] = Legenda_Total("Total de Registros Acerto no Arquivo: ", Total(r, 4));
        l["Label8"] = Legenda_Total("Total de PIS/PASEP Zerados Informados: ", Total(r, 5));
        l["Label11"] = QStringLiteral("Arquivo ZELTA");
    } else {
        l["Label3"] = Legenda_Total("Total de Movimentações Informadas: ", Total(r, 1));
        l["Label5"] = Legenda_Total("Total de Registros no Arquivo: ", Total(r, 2));
        l["Label11"] = QStringLiteral("Arquivo ACERTO");
    }
    return l;
}

frmVisualizar::frmVisualizar(QWidget *pai) : QDialog(pai)
{
    setModal(true);
    setWindowTitle(QStringLiteral("ZELTA Net - Visualizar o Recibo de Entrega do Meio Magnético"));
    setFont(Fonte(8.25));
    QPalette cinza = palette();
    cinza.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(cinza);
    setAutoFillBackground(true);
    setFixedSize(Twips_X(6825), Twips_Y(4425));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Geometria_Twips(Frame1, 120, 0, 6615, 4335);

    QLabel **rotulos[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8, &Label9,
                          &Label10, &Label11, &Label12, &Label13, &Label14, &Label15, &Label16, &Label17};
    int numero = 1;
    for (QLabel **l : rotulos) {
        *l = new QLabel(Frame1);
        (*l)->setObjectName(QStringLiteral("Label%1").arg(numero++));
    }
    Label4->setText(QStringLiteral("Vornex"));
    Label4->setFont(Fonte(12));
    Label1->setText(QStringLiteral("ZELTA - Lei Nº 9.999/99"));
    Label1->setFont(Fonte(9.75));
    Label11->setFont(Fonte(9.75));
    Label10->setFont(Fonte(9.75));
    Label10->setText(QStringLiteral("Estabelecimento Autorizado:"));
    Label15->setText(QStringLiteral("Transmitido em:"));
    Label17->setFont(Fonte(12));
    QPalette azul = Label17->palette();
    azul.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label17->setPalette(azul);
    for (QLabel *l : {Label9, Label2, Label3, Label5, Label6, Label7, Label8})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setAlignment(Qt::AlignCenter);
    Label1->setAlignment(Qt::AlignCenter);

    Command1 = new QPushButton(QStringLiteral("&Ok"), Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Geometria_Twips(Command1, 5400, 3840, 1092, 372);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load();
}

void frmVisualizar::Form_Load()
{
    Centraliza_Form(this);
    for (const auto &[nome, texto] : Legendas_Visualizar(Dados_Recibo))
        Frame1->findChild<QLabel *>(nome)->setText(texto);
    for (const auto &[nome, posicao] : Posicoes())
        Posicionar(Frame1->findChild<QLabel *>(nome), posicao);
    // "Referência:" reads on the baseline of "Estabelecimento Autorizado:", its neighbour on the
    // design row, which centres its larger text lower in its box. (The totals keep their even
    // spacing as a column.)
    Label9->move(Label9->x(), Label10->y() + qRound(Linha_Base(Label10) - Linha_Base(Label9)));
}

void frmVisualizar::Mostrar(QWidget *pai)
{
    frmVisualizar janela(pai);
    janela.exec();
}
