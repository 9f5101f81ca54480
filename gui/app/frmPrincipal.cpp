#include "gui/app/frmPrincipal.h"

#include "gui/cis/CIS_000.h"
#include "gui/app/Area_Principal.h"
#include "gui/app/frmConexao.h"
#include "gui/app/frmRegistro.h"
#include "gui/app/frmSobre.h"
#include "gui/intake/Conexao_Usuario.h"
#include "gui/app/frmSuporte.h"
#include "gui/history/frmReimpressao.h"
#include "engine/history/Historico.h"
#include "gui/intake/frmInicio.h"
#include "gui/intake/frmLote.h"
#include "gui/app/Ajuda.h"
#include "gui/app/Aviso_Incertas.h"
#include "gui/ledger/frmEntregas.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <memory>

namespace {
QIcon Icone_Programa()
{
    QIcon icone;
    for (int tamanho : {16, 32, 48, 64, 128, 256})
        icone.addFile(QStringLiteral(":/icones/zeltanet-%1.png").arg(tamanho), QSize(tamanho, tamanho));
    return icone;
}
} // namespace

frmPrincipal::frmPrincipal(QWidget *parent) : QMainWindow(parent)
{
    // The default of every window the program opens: About, Support, help, message boxes.
    QApplication::setWindowIcon(Icone_Programa());
    setWindowTitle(QStringLiteral("ZELTA Net"));
    area_ = new Area_Principal(this);
    setCentralWidget(area_);
    Criar_Menus();
    // Design size of the client area; the menu bar comes on top of it.
    resize(Twips_X(8295), Twips_Y(4800) + menuBar()->sizeHint().height());

    Definir_Acoes_Principal([this](bool habilitar) {
        for (int i : {0, 1, 3})
            mnuAcao[size_t(i)]->setEnabled(habilitar);
    });
}

frmPrincipal::~frmPrincipal()
{
    Definir_Acoes_Principal({});
}

void frmPrincipal::Criar_Menus()
{
    mnuCad = menuBar()->addMenu(QStringLiteral("&Ação"));
    const char16_t *acoes[] = {u"&Transmitir Pela Internet", u"&Reimprimir Recibo de Transmissão", u"", u"&Sair"};
    for (int i = 0; i < 4; ++i) {
        QAction *a = mnuCad->addAction(QString::fromUtf16(acoes[i]));
        a->setSeparator(i == 2); // item 2 of the array is the separator line
        connect(a, &QAction::triggered, this, [this, i] { mnuAcao_Click(i); });
        mnuAcao[size_t(i)] = a;
    }
    // Batch delivery, right after the reprint item.
    mnuLote = new QAction(QStringLiteral("Transmitir &Vários Arquivos"), mnuCad);
    mnuCad->insertAction(mnuAcao[2], mnuLote);
    connect(mnuLote, &QAction::triggered, this, [this] {
        frmLote::Mostrar(this);
        lblIncertas->Atualizar();
    });
    // The month window, after the items above.
    mnuEntregas = new QAction(QStringLiteral("&Entregas do Mês"), mnuCad);
    mnuCad->insertAction(mnuAcao[2], mnuEntregas);
    connect(mnuEntregas, &QAction::triggered, this, &frmPrincipal::Abrir_Entregas);
    lblIncertas = new Aviso_Incertas(menuBar());
    menuBar()->setCornerWidget(lblIncertas, Qt::TopRightCorner);
    connect(lblIncertas, &Aviso_Incertas::Verificar, this, &frmPrincipal::Abrir_Entregas);
    connect(mnuCad, &QMenu::aboutToShow, this, &frmPrincipal::mnuCad_Click);

    // The connection settings and the delivery log: a menu of their own, so no item moves.
    mnuConexao = menuBar()->addMenu(QStringLiteral("&Conexão"));
    mnuConfigurar = mnuConexao->addAction(QStringLiteral("&Configuração da Conexão..."), this, [this] {
        frmConexao janela(this);
        janela.exec();
    });
    mnuRegistro = mnuConexao->addAction(QStringLiteral("&Ver registro de comunicação"), this, [this] {
        frmRegistro janela(*Registro_Do_Usuario(), this);
        janela.exec();
    });

    mnuAjuda = menuBar()->addMenu(QStringLiteral("A&juda"));
    mnuHelp = mnuAjuda->addAction(QStringLiteral("&Manual do Usuário"), this, &frmPrincipal::mnuHelp_Click);
    mnuTraco = mnuAjuda->addSeparator();
    mnuSupTec = mnuAjuda->addAction(QStringLiteral("Suporte &Técnico"), this, &frmPrincipal::mnuSupTec_Click);
    mnuSobre = mnuAjuda->addAction(QStringLiteral("&Sobre..."), this, &frmPrincipal::mnuSobre_Click);
}

void frmPrincipal::mnuCad_Click()
{
    // The bare name: the history of the directory the program was started from.
    mnuAcao[1]->setEnabled(Historico_Existe());
}

void frmPrincipal::mnuAcao_Click(int index)
{
    switch (index) {
    case 0: Abrir_Inicio(); break;
    case 1: Abrir_Reimpressao(); break;
    case 3: Sair(); break;
    default: break;
    }
}

void frmPrincipal::Abrir_Inicio()
{
    if (inicio_)
        return; // already open: it is modal, so this only happens on a nested call
    // Deleted when it closes, so the next opening starts again from its Form_Load.
    auto janela = std::make_unique<frmInicio>(this);
    inicio_ = janela.get();
    janela->exec();
    inicio_ = nullptr;
    lblIncertas->Atualizar();
}

void frmPrincipal::Abrir_Entregas()
{
    frmEntregas::Mostrar(this);
    lblIncertas->Atualizar();
}

void frmPrincipal::Abrir_Reimpressao()
{
    frmReimpressao::Mostrar(this);
}

void frmPrincipal::Sair()
{
    // At once: no question, no other window's closing handler.
    hide();
    QApplication::exit(0);
}

void frmPrincipal::closeEvent(QCloseEvent *evento)
{
    evento->accept();
    QApplication::exit(0);
}

void frmPrincipal::mnuHelp_Click()
{
    // Help is a convenience: WinHelpA swallows whatever goes wrong, so the user sees nothing.
    WinHelpA(this, Arquivo_Ajuda(QCoreApplication::applicationDirPath()), HELP_FINDER, "0");
}

template <class Janela> void frmPrincipal::Mostrar_Informacao(QPointer<QMdiSubWindow> &instancia)
{
    if (!instancia) {
        auto *janela = new Janela;
        instancia = area_->addSubWindow(janela, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        instancia->setAttribute(Qt::WA_DeleteOnClose);
        instancia->resize(instancia->sizeHint());
        janela->Form_Load();
    }
    instancia->showNormal();
    area_->setActiveSubWindow(instancia);
    instancia->raise();
}

void frmPrincipal::mnuSobre_Click()
{
    Mostrar_Informacao<frmSobre>(sobre_);
}

void frmPrincipal::mnuSupTec_Click()
{
    Mostrar_Informacao<frmSuporte>(suporte_);
}
