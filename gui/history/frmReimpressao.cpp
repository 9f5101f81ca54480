#include "gui/history/frmReimpressao.h"

#include "gui/cis/CIS_000.h"
#include "engine/history/Busca_Historico.h"
#include "engine/history/Historico.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/print/Impressoras.h"
#include "gui/receipt/Lista_Impressoras.h"
#include "engine/platform/Texto1252.h"
#include "gui/receipt/Imprime_Recibo.h"
#include "engine/receipt/Registro_Recibo.h"
#include "gui/receipt/frmVisualizar.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QResizeEvent>
#include <QSettings>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
struct Coluna {
    const char *titulo;
    int largura; // twips
};
// The six columns of the design, then the company name, shown only in a window wide enough.
constexpr Coluna Colunas[7] = {{"Transmitido em:", 2300}, {"Arquivo", 1700},      {"Tipo Arquivo", 1300},
                               {"Cod. Retorno", 1300},    {"Identificador", 2600}, {"Competência", 1270},
                               {"Razão Social", 2600}};
constexpr int Colunas_Desenho = 6;
constexpr int Coluna_Razao_Social = 6;

// The size and place the user last gave the window, kept per user.
QSettings Ajustes_Usuario() { return QSettings(QStringLiteral("zeltanet"), QStringLiteral("zeltanet")); }
const QString Chave_Geometria = QStringLiteral("Reimpressao/geometria");
} // namespace

QStringList Celulas_Reimpressao(const std::string &r)
{
    using namespace Recibo;
    const bool zelta = Valor_Numerico(Tipo_Arquivo(r)) == 1;
    const std::string tipo_id = Tipo_Identificador(r);
    return {
        // The parts as they stand, unlike the receipt's masked date: a short entry shows short.
        De_1252(Campo(r, 7, 2) + "/" + Campo(r, 5, 2) + "/" + Campo(r, 1, 4)) + QStringLiteral(" às ") +
            De_1252(Campo(r, 166, 2) + ":" + Campo(r, 168, 2) + ":" + Campo(r, 170, 2)),
        De_1252(Nome_Arquivo(r)),
        zelta ? QStringLiteral("ZELTA") : QStringLiteral("ACERTO"),
        De_1252(Codigo_Recebimento(r)),
        QString::fromUtf8(tipo_id == "1" ? "CNPJ: " : "CEI: ") +
            De_1252(Identificador_Para_Exibir(tipo_id, Identificador(r))),
        zelta ? De_1252(Mes_Competencia(r) + "/" + Ano_Competencia(r)) : QString(),
    };
}

QString Texto_Encontradas(long long encontradas, bool com_busca)
{
    if (!com_busca)
        return {};
    if (encontradas == 0)
        return QStringLiteral("Nenhuma transmissão encontrada");
    if (encontradas > Max_Entradas_Reimpressao)
        return QStringLiteral("%1 encontradas (mostrando as %2 mais recentes)")
            .arg(encontradas)
            .arg(Max_Entradas_Reimpressao);
    return encontradas == 1 ? QStringLiteral("1 encontrada") : QStringLiteral("%1 encontradas").arg(encontradas);
}

QString Razao_Social_Reimpressao(const std::string &linha)
{
    return De_1252(Recibo::Razao_Social(linha)).trimmed();
}

namespace {
// Qt's screen-reader bridge finds a table's column headers through the cell of row 0, so reading
// a search that found nothing makes Qt warn of invalid indexes on every header. Those warnings
// say nothing about the program: they are dropped, every other message passes on.
QtMessageHandler Avisos_Anteriores = nullptr;

void Filtrar_Avisos_Grade_Vazia(QtMsgType tipo, const QMessageLogContext &contexto, const QString &texto)
{
    if (tipo == QtWarningMsg && (texto.startsWith(QLatin1String("QAccessibleTable::cellAt: invalid index")) ||
                                 texto.startsWith(QLatin1String("QAccessibleTable::child: Invalid index"))))
        return;
    if (Avisos_Anteriores)
        Avisos_Anteriores(tipo, contexto, texto);
}

// Column texts are never cut: a column is at least as wide as its widest text.
void Ajustar_Colunas(QTableWidget *grade)
{
    for (int c = 0; c < grade->columnCount(); ++c) {
        grade->resizeColumnToContents(c);
        grade->setColumnWidth(c, std::max(Twips_X(Colunas[c].largura), grade->columnWidth(c)));
    }
}
} // namespace

frmReimpressao::frmReimpressao(QWidget *pai) : QDialog(pai)
{
    setModal(true);
    setWindowTitle(QStringLiteral("ZELTA Net  - Reimprimir Recibo de Entrega"));
    QFont fonte;
    // Without the design font, Liberation Sans keeps the captions near their design widths.
    fonte.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    fonte.setPointSizeF(8.25);
    fonte.setBold(true);
    setFont(fonte);
    // Design size, and room to grow: the grid takes what the window gains.
    resize(Twips_X(11100), Twips_Y(2760));
    setMinimumSize(size());
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    Label2 = new QLabel(QStringLiteral("Selecione uma das transmissões abaixo:"), this);
    Geometria_Twips(Label2, 120, 0, 3435, 195);
    MSFlexGrid1 = new QTableWidget(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("Transmissões anteriores"));
    Geometria_Twips(MSFlexGrid1, 120, 360, 10815, 1215);
    Label1 = new QLabel(QStringLiteral("Código do Recebimento selecionado:"), this);
    Geometria_Twips(Label1, 120, 1680, 3180, 195);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Código do Recebimento selecionado"));
    Geometria_Twips(Text1, 120, 1920, 3135, 288);
    Label13 = new QLabel(QStringLiteral("Impressora:"), this);
    Geometria_Twips(Label13, 7800, 1680, 1110, 195);
    cmb_print = new QComboBox(this);
    cmb_print->setObjectName(QStringLiteral("cmb_print"));
    cmb_print->setAccessibleName(QStringLiteral("Impressora"));
    // A list box reads its chosen entry as its name: the description says what it is.
    cmb_print->setAccessibleDescription(QStringLiteral("Impressora do recibo"));
    Geometria_Twips(cmb_print, 7800, 1920, 3165, 315);
    cmdVisualizar = new QPushButton(QStringLiteral("&Visualizar"), this);
    cmdVisualizar->setObjectName(QStringLiteral("cmdVisualizar"));
    Geometria_Twips(cmdVisualizar, 7800, 2280, 972, 372);
    cmdImprimir = new QPushButton(QStringLiteral("&Imprimir"), this);
    cmdImprimir->setObjectName(QStringLiteral("cmdImprimir"));
    Geometria_Twips(cmdImprimir, 8880, 2280, 972, 372);
    lblLocalizar = new QLabel(QStringLiteral("Localizar:"), this);
    Geometria_Twips(lblLocalizar, 3480, 1680, 1110, 195);
    txtLocalizar = new QLineEdit(this);
    txtLocalizar->setObjectName(QStringLiteral("txtLocalizar"));
    txtLocalizar->setAccessibleName(QStringLiteral("Localizar"));
    txtLocalizar->setAccessibleDescription(
        QStringLiteral("Código, identificador, razão social, arquivo ou competência"));
    txtLocalizar->setToolTip(txtLocalizar->accessibleDescription());
    txtLocalizar->setClearButtonEnabled(true);
    // The clear button is read and hinted by its action's text.
    if (auto *limpar = txtLocalizar->findChild<QAction *>(QStringLiteral("_q_qlineeditclearaction")))
        limpar->setText(QStringLiteral("Limpar a busca"));
    Geometria_Twips(txtLocalizar, 3480, 1920, 4080, 288);
    // The search's count, below the box, left of the buttons.
    lblEncontradas = new QLabel(this);
    lblEncontradas->setObjectName(QStringLiteral("lblEncontradas"));
    Geometria_Twips(lblEncontradas, 120, 2310, 7560, 240);
    lblLocalizar->setBuddy(txtLocalizar);
    cmdSair = new QPushButton(QStringLiteral("&Voltar"), this);
    cmdSair->setObjectName(QStringLiteral("cmdSair"));
    Geometria_Twips(cmdSair, 9960, 2280, 972, 372);
    cmdVisualizar->setEnabled(false);
    cmdImprimir->setEnabled(false);
    // A substitute font may be wider than the design font: never cut a caption.
    for (QLabel *l : {Label1, Label2, Label13, lblLocalizar})
        l->resize(l->size().expandedTo(l->sizeHint()));
    Label1->setBuddy(Text1);
    Label13->setBuddy(cmb_print);

    connect(cmdImprimir, &QPushButton::clicked, this, &frmReimpressao::cmdImprimir_Click);
    connect(cmdVisualizar, &QPushButton::clicked, this, &frmReimpressao::cmdVisualizar_Click);
    connect(cmdSair, &QPushButton::clicked, this, &frmReimpressao::cmdSair_Click);
    // A history of a million entries takes a moment to search: wait for a pause in the typing.
    espera_busca_.setSingleShot(true);
    espera_busca_.setInterval(300);
    connect(&espera_busca_, &QTimer::timeout, this, &frmReimpressao::Buscar_Em_Segundo_Plano);
    connect(txtLocalizar, &QLineEdit::textChanged, &espera_busca_, qOverload<>(&QTimer::start));
    connect(txtLocalizar, &QLineEdit::returnPressed, this, &frmReimpressao::Buscar_Em_Segundo_Plano);
    for (QWidget *w : std::initializer_list<QWidget *>{Label2, MSFlexGrid1, Label1, Text1, lblLocalizar, txtLocalizar,
                                                       Label13, cmb_print, cmdVisualizar, cmdImprimir, cmdSair,
                                                       lblEncontradas})
        desenho_.emplace_back(w, w->geometry());

    // Form_Load
    Habilitar_Acoes_Principal(false);
    Centraliza_Form(this);
    Preencher_Lista_Impressoras(cmb_print);
    Configurar_Grade();
    // Where the user left it; the first time, the design size centred.
    restoreGeometry(Ajustes_Usuario().value(Chave_Geometria).toByteArray());
    // Focus on a button, so entering the grid is the user's own pick.
    cmdSair->setFocus();
}

void frmReimpressao::Configurar_Grade()
{
    static const bool filtro = (Avisos_Anteriores = qInstallMessageHandler(Filtrar_Avisos_Grade_Vazia), true);
    Q_UNUSED(filtro);
    MSFlexGrid1->setColumnCount(Colunas_Desenho);
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    MSFlexGrid1->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < Colunas_Desenho; ++c) {
        MSFlexGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(Colunas[c].titulo)));
        MSFlexGrid1->setColumnWidth(c, Twips_X(Colunas[c].largura));
    }
}

void frmReimpressao::Mostrar_Razao_Social(bool mostrar)
{
    if (mostrar == (MSFlexGrid1->columnCount() > Coluna_Razao_Social))
        return;
    const QSignalBlocker quieto(MSFlexGrid1); // the pick stays as it is
    MSFlexGrid1->setColumnCount(mostrar ? Coluna_Razao_Social + 1 : Colunas_Desenho);
    if (mostrar) {
        MSFlexGrid1->setHorizontalHeaderItem(
            Coluna_Razao_Social, new QTableWidgetItem(QString::fromUtf8(Colunas[Coluna_Razao_Social].titulo)));
        Preencher_Razao_Social();
    }
    Ajustar_Colunas(MSFlexGrid1);
}

void frmReimpressao::Preencher_Razao_Social()
{
    if (MSFlexGrid1->columnCount() <= Coluna_Razao_Social)
        return;
    for (int k = 1; k <= MSFlexGrid1->rowCount(); ++k)
        MSFlexGrid1->setItem(k - 1, Coluna_Razao_Social,
                             new QTableWidgetItem(Razao_Social_Reimpressao(Linhas_Historico[size_t(k)])));
}

bool frmReimpressao::Carregar_Historico(const std::string &arquivo)
{
    if (!Historico_Existe(arquivo))
        return false;
    arquivo_ = arquivo;
    if (!Preencher_Grade({}))
        return false;
    // Connected after filling, so only the user's picks load a line.
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this, [this](int linha, int) { MSFlexGrid1_Click(linha); });
    connect(MSFlexGrid1, &QTableWidget::currentCellChanged, this,
            [this](int linha, int, int, int) { MSFlexGrid1_Click(linha); });
    return true;
}

frmReimpressao::~frmReimpressao()
{
    Cancelar_Busca();
}

bool frmReimpressao::Preencher_Grade(const std::string &texto_busca)
{
    Leitura_Historico leitura;
    try {
        leitura = Procurar_Historico(texto_busca, arquivo_);
    } catch (const Erro_Execucao &e) {
        // An unreadable file closes the window like a missing one, but the user is told why.
        Caixa_Mensagem(Erro_Nao_Tratado(e.numero, e.descricao), Icone::Nenhum, Botoes::Ok);
        return false;
    }
    Mostrar_Leitura(leitura, Consulta_Historico(texto_busca).Vazia() == false);
    return true;
}

void frmReimpressao::Mostrar_Leitura(const Leitura_Historico &leitura, bool com_busca)
{
    lblEncontradas->setText(Texto_Encontradas(leitura.encontradas, com_busca));
    // Refilling is no pick: the grid keeps quiet, and the old pick is gone with its row.
    const QSignalBlocker quieto(MSFlexGrid1);
    Linha_Selecionada = 0;
    cmdImprimir->setEnabled(false);
    cmdVisualizar->setEnabled(false);
    Linhas_Historico.fill({});
    MSFlexGrid1->clearContents();
    const int linhas = int(std::min<size_t>(leitura.entradas.size(), Max_Entradas_Reimpressao));
    MSFlexGrid1->setRowCount(linhas);
    for (int k = 1; k <= linhas; ++k) {
        Linhas_Historico[size_t(k)] = leitura.entradas[size_t(k - 1)];
        const QStringList celulas = Celulas_Reimpressao(Linhas_Historico[size_t(k)]);
        for (int c = 0; c < 6; ++c) {
            auto *item = new QTableWidgetItem(celulas[c]);
            item->setTextAlignment(Qt::AlignCenter);
            if (c == 4)
                item->setToolTip(Razao_Social_Reimpressao(Linhas_Historico[size_t(k)]));
            MSFlexGrid1->setItem(k - 1, c, item);
        }
    }
    Preencher_Razao_Social();
    // Through the selection model: the view's own setter would stop the keyboard's entry into
    // the grid from choosing a first row.
    MSFlexGrid1->clearSelection();
    MSFlexGrid1->selectionModel()->clearCurrentIndex();
    Ajustar_Colunas(MSFlexGrid1);
    // The newest entries are the last rows.
    MSFlexGrid1->scrollToBottom();
}

void frmReimpressao::Cancelar_Busca()
{
    if (parar_busca_)
        *parar_busca_ = true;
    if (busca_.joinable())
        busca_.join(); // within a line of the file
}

void frmReimpressao::Buscar_Em_Segundo_Plano()
{
    espera_busca_.stop();
    Cancelar_Busca();
    auto parar = std::make_shared<std::atomic<bool>>(false);
    parar_busca_ = parar;
    const std::string texto = Para_1252(txtLocalizar->text());
    lblEncontradas->setText(QStringLiteral("Procurando..."));
    busca_ = std::thread([this, parar, texto, arquivo = arquivo_] {
        auto leitura = std::make_shared<Leitura_Historico>();
        QString falha;
        try {
            *leitura = Procurar_Historico(texto, arquivo, parar.get());
        } catch (const Erro_Execucao &e) {
            falha = Erro_Nao_Tratado(e.numero, e.descricao);
        }
        // Delivered through the window's event queue; a newer search, or the window's end, drops it.
        QMetaObject::invokeMethod(
            this,
            [this, parar, texto, leitura, falha] {
                if (*parar)
                    return;
                busca_.join();
                if (!falha.isEmpty()) {
                    lblEncontradas->clear();
                    Caixa_Mensagem(falha, Icone::Nenhum, Botoes::Ok);
                    return;
                }
                Mostrar_Leitura(*leitura, !Consulta_Historico(texto).Vazia());
                Text1->clear();
            },
            Qt::QueuedConnection);
    });
}

void frmReimpressao::Aplicar_Busca()
{
    espera_busca_.stop();
    Cancelar_Busca();
    Ponteiro_Ampulheta();
    const bool lida = Preencher_Grade(Para_1252(txtLocalizar->text()));
    Ponteiro_Padrao();
    if (lida)
        Text1->clear();
}

bool frmReimpressao::Escolher_Codigo(const std::string &codigo8)
{
    auto procurar = [&] {
        for (int k = MSFlexGrid1->rowCount(); k >= 1; --k)
            if (Recibo::Codigo_Recebimento(Linhas_Historico[size_t(k)]) == codigo8) {
                MSFlexGrid1->setCurrentCell(k - 1, 0);
                MSFlexGrid1->scrollToItem(MSFlexGrid1->item(k - 1, 0));
                return true;
            }
        return false;
    };
    if (procurar())
        return true;
    // An older delivery: search the whole history for it.
    {
        const QSignalBlocker quieto(txtLocalizar);
        txtLocalizar->setText(De_1252(codigo8));
    }
    Aplicar_Busca();
    return procurar();
}

int frmReimpressao::Mostrar(QWidget *pai, const std::string &codigo)
{
    frmReimpressao janela(pai);
    if (!janela.Carregar_Historico(Historico_Transmissoes)) {
        janela.cmdSair_Click();
        return QDialog::Rejected;
    }
    if (!codigo.empty())
        janela.Escolher_Codigo(codigo);
    return janela.exec();
}

void frmReimpressao::resizeEvent(QResizeEvent *evento)
{
    QDialog::resizeEvent(evento);
    const int dx = std::max(0, width() - Twips_X(11100)), dy = std::max(0, height() - Twips_Y(2760));
    for (const auto &[w, r] : desenho_) {
        if (w == MSFlexGrid1)
            w->setGeometry(r.adjusted(0, 0, dx, dy));
        else if (w == Label2)
            continue;
        else
            w->move(r.topLeft() + QPoint(r.left() >= Twips_X(7800) ? dx : 0, dy));
    }
    // The spare width goes to the company name, once it holds a name's usual length.
    Mostrar_Razao_Social(dx >= Twips_X(Colunas[Coluna_Razao_Social].largura));
}

void frmReimpressao::MSFlexGrid1_Click(int linha_tabela)
{
    if (linha_tabela < 0 || linha_tabela >= MSFlexGrid1->rowCount())
        return;
    Linha_Selecionada = int16_t(linha_tabela + 1);
    cmdImprimir->setEnabled(true);
    cmdVisualizar->setEnabled(true);
    Dados_Recibo = Linhas_Historico[Linha_Selecionada];
    Text1->setText(De_1252(Recibo::Codigo_Recebimento(Dados_Recibo)));
}

void frmReimpressao::cmdImprimir_Click()
{
    Imprimir_Da_Lista(cmb_print, Linhas_Historico[Linha_Selecionada]);
}

void frmReimpressao::cmdVisualizar_Click() { frmVisualizar::Mostrar(this); }

void frmReimpressao::cmdSair_Click() { reject(); }

void frmReimpressao::done(int resultado)
{
    if (isVisible()) // a window closed before it showed has nothing of the user's to keep
        Ajustes_Usuario().setValue(Chave_Geometria, saveGeometry());
    Habilitar_Acoes_Principal(true);
    QDialog::done(resultado);
}
