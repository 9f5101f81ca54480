#include "gui/intake/frmInicio.h"

#include "gui/cis/CIS_000.h"
#include "engine/intake/Leitor_Resumo.h"
#include "gui/intake/Lista_Arquivos.h"
#include "gui/intake/Lista_Pastas.h"
#include "gui/intake/Lista_Unidades.h"
#include "engine/intake/Verificacao.h"
#include "engine/print/Impressoras.h"
#include "gui/receipt/Lista_Impressoras.h"
#include "engine/platform/Texto1252.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace {
// Design size of the window, before Form_Load cuts it down to the chooser and the two buttons. The
// chooser panel and "Voltar" end at 3972; the width adds the margin the chooser keeps on its left.
constexpr double Largura_Janela = 3972 + 120;
constexpr double Altura_Projeto = 5532;
constexpr double Altura_Carregada = 4000;
} // namespace

frmInicio::frmInicio(QWidget *parent) : QDialog(parent), Socketout_(std::make_unique<Socketout>())
{
    setWindowTitle(QStringLiteral("ZELTA Net - Transmitir pela Internet"));
    setModal(true);
    Criar_Controles();
    resize(Twips_X(Largura_Janela), Twips_Y(Altura_Projeto));
    Form_Load();
}

frmInicio::~frmInicio() = default;

void frmInicio::Trocar_Socket(std::unique_ptr<Socketout> novo)
{
    Socketout_ = std::move(novo);
}

void frmInicio::Criar_Controles()
{
    Picture1 = new QFrame(this);
    Picture1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Picture1->setAccessibleName(QStringLiteral("Escolha do arquivo"));
    Geometria_Twips(Picture1, 0, 120, 3972, 2712);

    lblCriterio = new QLabel(QStringLiteral("Arquivos:"), Picture1);
    Geometria_Twips(lblCriterio, 600, 120, 1335, 255);
    lblCriterio->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtTipoArq = new QLineEdit(QStringLiteral("*.m*"), Picture1);
    txtTipoArq->setAccessibleName(QStringLiteral("Filtro de arquivos"));
    Geometria_Twips(txtTipoArq, 2040, 120, 1815, 285);
    lblCriterio->setBuddy(txtTipoArq);
    dirList = new Lista_Pastas(Picture1);
    dirList->setAccessibleName(QStringLiteral("Pastas"));
    Geometria_Twips(dirList, 120, 480, 1815, 1605);
    filList = new Lista_Arquivos(Picture1);
    filList->setAccessibleName(QStringLiteral("Arquivos"));
    Geometria_Twips(filList, 2040, 480, 1815, 1785);
    drvList = new Lista_Unidades(Picture1);
    drvList->setAccessibleName(QStringLiteral("Unidades"));
    // A list box reads its chosen entry as its name: the description says what it is.
    drvList->setAccessibleDescription(QStringLiteral("Unidades de disco"));
    Geometria_Twips(drvList, 120, 2160, 1815, 315);

    cmdTransmitir = new QPushButton(QStringLiteral("&Transmitir"), this);
    Geometria_Twips(cmdTransmitir, 1920, 2800, 1000, 375);
    cmdSair = new QPushButton(QStringLiteral("&Voltar"), this);
    Geometria_Twips(cmdSair, 3000, 2800, 972, 372);
    cmdTransmitir->setAutoDefault(false);
    cmdSair->setAutoDefault(false);

    txtPercentual = new QLineEdit(QStringLiteral("Conectando servidor..."), this);
    txtPercentual->setReadOnly(true);
    txtPercentual->setAccessibleName(QStringLiteral("Progresso da transmissão"));
    Geometria_Twips(txtPercentual, 50, 3350, 3855, 285);
    Label1 = new QLabel(QStringLiteral("IP:"), this);
    Geometria_Twips(Label1, 120, 3350, 300, 285);
    // Design text only: nothing reads it, so it is not offered for editing.
    Text1 = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Endereço IP"));
    Geometria_Twips(Text1, 480, 3350, 1455, 285);

    lblResumo = new QLabel(this);
    lblResumo->setAccessibleDescription(QStringLiteral("Conteúdo do arquivo")); // its name reads the summary
    lblResumo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Four short lines between the buttons and the bottom edge of the loaded window, in the
    // largest size up to 8 points that leaves them a margin there.
    Geometria_Twips(lblResumo, 120, 3195, 3735, Altura_Carregada - 3195 - 60);
    Fonte_Que_Cabe(lblResumo, 8, [this](const QFontMetrics &fm) { return 4 * fm.lineSpacing() <= lblResumo->height(); });

    Label2 = new QLabel(QStringLiteral("Transmissão finalizada com sucesso. Para impressão do recibo de entrega "
                                       "escolha a impressora e clique no botão 'Imprimir'."),
                        this);
    Label2->setWordWrap(true);
    Geometria_Twips(Label2, 120, 2880, 3735, 840); // four lines: the whole instruction shows
    Label3 = new QLabel(QStringLiteral("Código do Recebimento:"), this);
    Geometria_Twips(Label3, 120, 3750, 3735, 255);
    Label13 = new QLabel(QStringLiteral("Impressora :"), this);
    Geometria_Twips(Label13, 120, 4080, 1170, 315);
    cmb_print = new QComboBox(this);
    cmb_print->setAccessibleName(QStringLiteral("Impressora"));
    cmb_print->setAccessibleDescription(QStringLiteral("Impressora do recibo"));
    Geometria_Twips(cmb_print, 1320, 4080, 2535, 315);
    Label13->setBuddy(cmb_print);
    cmdImprimir = new QPushButton(QStringLiteral("&Imprimir"), this);
    cmdImprimir->setAutoDefault(false);
    Geometria_Twips(cmdImprimir, 840, 4680, 1000, 375);
    // The three buttons in one size, at which every caption they carry fits with the style's margins.
    const int margens = 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, cmdTransmitir);
    Fonte_Que_Cabe(cmdTransmitir, cmdTransmitir->font().pointSizeF(), [&](const QFontMetrics &fm) {
        for (const auto &[botao, legenda] : {std::pair{cmdTransmitir, QStringLiteral("&Transmitir")},
                                            {cmdTransmitir, QStringLiteral("Visualizar")},
                                            {cmdSair, QStringLiteral("&Voltar")},
                                            {cmdImprimir, QStringLiteral("&Imprimir")}})
            if (fm.size(Qt::TextShowMnemonic, legenda).width() + margens > botao->width())
                return false;
        return true;
    });
    cmdSair->setFont(cmdTransmitir->font());
    cmdImprimir->setFont(cmdTransmitir->font());

    setTabOrder(txtTipoArq, dirList);
    setTabOrder(dirList, filList);
    setTabOrder(filList, drvList);
    // The receipt state's controls in screen order: printer, then Imprimir, Visualizar, Voltar.
    setTabOrder(drvList, cmb_print);
    setTabOrder(cmb_print, cmdImprimir);
    setTabOrder(cmdImprimir, cmdTransmitir);
    setTabOrder(cmdTransmitir, cmdSair);

    connect(drvList, &Lista_Unidades::Change, this, &frmInicio::drvList_Change);
    connect(dirList, &Lista_Pastas::Change, this, &frmInicio::dirList_Change);
    connect(dirList, &Lista_Pastas::Perdeu_Foco, this, &frmInicio::dirList_LostFocus);
    connect(txtTipoArq, &QLineEdit::textChanged, this, &frmInicio::txtTipoArq_Change);
    txtTipoArq->installEventFilter(this);
    connect(filList, &QListWidget::itemSelectionChanged, this, &frmInicio::filList_Selecao);
    filList->installEventFilter(this);
    Leitor_Resumo_ = std::make_unique<Leitor_Resumo>([this](const Resumo_Lido &lido) {
        QMetaObject::invokeMethod(this, [this, lido] { Mostrar_Resumo(lido); }, Qt::QueuedConnection);
    });
    connect(cmdSair, &QPushButton::clicked, this, &frmInicio::cmdSair_Click);
    connect(cmdTransmitir, &QPushButton::clicked, this, &frmInicio::cmdTransmitir_Click);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmInicio::cmdImprimir_Click);

    // The lists start on the current directory and its drive.
    const QString atual = QDir::currentPath();
    drvList->blockSignals(true);
    drvList->setDrive(atual);
    drvList->blockSignals(false);
    Ultima_Pasta_.insert(drvList->Drive(), atual);
    if (dirList->setPath(atual))
        dirList_Change();
}

void frmInicio::Form_Load()
{
    Centraliza_Form(this);

    const QColor fundo = palette().color(QPalette::Window);
    for (QWidget *w : {static_cast<QWidget *>(lblCriterio), static_cast<QWidget *>(Picture1)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, fundo);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
    Picture1->setGeometry(0, 0, width(), Picture1->height());

    filList->setPattern(txtTipoArq->text());
    Preencher_Lista_Impressoras(cmb_print);

    Label2->hide();
    Label3->hide();
    cmdImprimir->hide();
    cmb_print->hide();
    Label13->hide();

    // The window is cut off below the buttons until the transmit command enlarges it.
    setFixedSize(width(), Twips_Y(Altura_Carregada));
    cmdTransmitir->move(cmdTransmitir->x(), Twips_Y(2800));
    cmdSair->move(cmdSair->x(), Twips_Y(2800));
    txtPercentual->move(Twips_X(50), Twips_Y(3350));
    txtPercentual->hide();
    Text1->move(Text1->x(), Twips_Y(3350));
    Label1->move(Label1->x(), Twips_Y(3350));
    // Nothing reads the address: its place shows what the chosen file holds.
    Text1->hide();
    Label1->hide();
}

void frmInicio::done(int resultado)
{
    if (Em_Transmissao_)
        return;
    Form_Unload();
    QDialog::done(resultado);
}

void frmInicio::Form_Unload()
{
    // A failing close must not keep the window open nor escape from the event handler.
    try {
        if (Socketout_ && Socketout_->Conectado())
            Socketout_->Fechar_Conexao();
    } catch (...) {
    }
    Ponteiro_Padrao();
}

void frmInicio::cmdSair_Click()
{
    close();
}

void frmInicio::drvList_Change()
{
    const QString unidade = drvList->Drive();
    const QString ultima = Ultima_Pasta_.value(unidade);
    if ((!ultima.isEmpty() && dirList->setPath(ultima)) || dirList->setPath(unidade))
        return;
    // An unreadable drive: back, silently, to the drive of the folder on show.
    drvList->setDrive(dirList->Path());
}

void frmInicio::dirList_Change()
{
    const QString unidade = drvList->Drive_De(dirList->Path());
    if (!unidade.isEmpty())
        Ultima_Pasta_.insert(unidade, dirList->Path());
    if (!filList->setPath(dirList->Path()))
        filList->clear();
}

void frmInicio::dirList_LostFocus()
{
    const int i = dirList->ListIndex();
    if (i >= 0)
        (void)dirList->setPath(dirList->List(i)); // a folder gone meanwhile just stays closed
}

void frmInicio::txtTipoArq_Change()
{
    filList->setPattern(txtTipoArq->text());
}

void frmInicio::txtTipoArq_GotFocus()
{
    // After the click that gave the focus has placed the cursor, or it would undo the selection.
    QTimer::singleShot(0, txtTipoArq, [t = txtTipoArq] { t->setSelection(0, int(t->text().size())); });
}

void frmInicio::filList_Selecao()
{
    const int i = filList->ListIndex();
    lblResumo->clear();
    if (i < 0) {
        Pedido_Resumo_ = 0;
        return;
    }
    const std::string caminho = Caminho_Declaracao(QFile::encodeName(dirList->Path()).toStdString(),
                                                   filList->Bytes(i).toStdString());
    Pedido_Resumo_ = Leitor_Resumo_->Pedir(caminho);
}

void frmInicio::Mostrar_Resumo(const Resumo_Lido &lido)
{
    if (lido.pedido != Pedido_Resumo_)
        return; // another file was chosen meanwhile
    if (!lido.resumo) {
        Destacar_Resumo(true);
        lblResumo->setText(De_1252(lido.falha));
        return;
    }
    const Resumo_Declaracao &r = *lido.resumo;
    const QString movimentos = r.movimentos == 1 ? QStringLiteral("1 movimento")
                                                 : QStringLiteral("%1 movimentos").arg(r.movimentos);
    // A name the block header cannot hold is said first: the file cannot go until renamed.
    const std::string aviso = Aviso_Nome(Para_1252(filList->List(filList->ListIndex())));
    Destacar_Resumo(!aviso.empty() || r.validacao != Estado_Validacao::Validado);
    lblResumo->setText(De_1252(r.razao_social) + u'\n' + De_1252(r.identificador) + QStringLiteral("  ")
                       + De_1252(Texto_Competencia(r)) + u'\n' + De_1252(Texto_Tipo(r)) + QStringLiteral(" - ")
                       + movimentos + u'\n' + De_1252(aviso.empty() ? Texto_Validacao(r.validacao) : aviso));
}

// A file that cannot be delivered as it is reads in dark red, and says so to a screen reader.
void frmInicio::Destacar_Resumo(bool sim)
{
    QPalette p = lblResumo->palette();
    p.setColor(QPalette::WindowText, sim ? QColor(0xB0, 0, 0) : palette().color(QPalette::WindowText));
    lblResumo->setPalette(p);
    lblResumo->setAccessibleDescription(sim ? QStringLiteral("Conteúdo do arquivo - atenção")
                                            : QStringLiteral("Conteúdo do arquivo"));
}

bool frmInicio::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == txtTipoArq && evento->type() == QEvent::FocusIn)
        txtTipoArq_GotFocus();
    // Once the transmit command locks the list, the place belongs to the progress box.
    if (objeto == filList && evento->type() == QEvent::EnabledChange)
        lblResumo->setVisible(filList->isEnabled());
    return QDialog::eventFilter(objeto, evento);
}
