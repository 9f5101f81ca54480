#include "gui/app/frmConexao.h"

#include "engine/platform/Socketout.h"
#include "engine/platform/Texto1252.h"
#include "engine/transmit/Teste_Conexao.h"
#include "gui/cis/CIS_000.h"
#include "gui/intake/Conexao_Usuario.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// A connection test gives up sooner than a delivery: the window waits for it when closed.
constexpr int Limite_Teste_ms = 15000;
} // namespace

frmConexao::frmConexao(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Configuração da Conexão"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);

    auto *servidor = new QGroupBox(QStringLiteral("Máquina servidora de recepção"), this);
    auto *fs = new QFormLayout(servidor);
    txtServidor = new QLineEdit(servidor);
    spnPorta = new QSpinBox(servidor);
    spnPorta->setRange(1, 65535);
    cmdPadrao = new QPushButton(QStringLiteral("&Restaurar padrão"), servidor);
    fs->addRow(QStringLiteral("&Máquina:"), txtServidor);
    fs->addRow(QStringLiteral("P&orta:"), spnPorta);
    fs->addRow(QString(), cmdPadrao);
    layout->addWidget(servidor);

    auto *proxy = new QGroupBox(QStringLiteral("Proxy"), this);
    auto *fp = new QFormLayout(proxy);
    cmbProxy = new QComboBox(proxy);
    cmbProxy->addItems({QStringLiteral("Nenhum"), QStringLiteral("SOCKS5"), QStringLiteral("HTTP (CONNECT)")});
    txtProxyServidor = new QLineEdit(proxy);
    spnProxyPorta = new QSpinBox(proxy);
    spnProxyPorta->setRange(1, 65535);
    txtUsuario = new QLineEdit(proxy);
    txtSenha = new QLineEdit(proxy);
    txtSenha->setEchoMode(QLineEdit::Password);
    fp->addRow(QStringLiteral("T&ipo:"), cmbProxy);
    fp->addRow(QStringLiteral("Má&quina do proxy:"), txtProxyServidor);
    fp->addRow(QStringLiteral("Porta do pro&xy:"), spnProxyPorta);
    fp->addRow(QStringLiteral("&Usuário (opcional):"), txtUsuario);
    fp->addRow(QStringLiteral("&Senha:"), txtSenha);
    auto *nota = new QLabel(QStringLiteral("A senha não é gravada: vale até o programa ser fechado."), proxy);
    nota->setWordWrap(true);
    fp->addRow(nota);
    layout->addWidget(proxy);

    cmdTestar = new QPushButton(QStringLiteral("&Testar conexão"), this);
    txtResultado = new QPlainTextEdit(this);
    txtResultado->setReadOnly(true);
    txtResultado->setMinimumHeight(Twips_Y(1400));
    layout->addWidget(cmdTestar, 0, Qt::AlignLeft);
    layout->addWidget(txtResultado);

    auto *botoes = new QDialogButtonBox(this);
    cmdOk = botoes->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cmdCancelar = botoes->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    layout->addWidget(botoes);

    connect(cmdPadrao, &QPushButton::clicked, this, &frmConexao::cmdPadrao_Click);
    connect(cmdTestar, &QPushButton::clicked, this, &frmConexao::cmdTestar_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmConexao::cmdOk_Click);
    connect(cmdCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmbProxy, &QComboBox::currentIndexChanged, this, &frmConexao::Proxy_Alterado);

    Mostrar(Conexao_Do_Usuario());
    resize(Twips_X(6000), sizeHint().height());
    Centraliza_Form(this);
}

frmConexao::~frmConexao()
{
    if (teste_.joinable())
        teste_.join();
}

void frmConexao::Mostrar(const Ajustes_Conexao &a)
{
    txtServidor->setText(De_1252(a.servidor));
    spnPorta->setValue(a.porta);
    cmbProxy->setCurrentIndex(static_cast<int>(a.proxy.tipo));
    txtProxyServidor->setText(De_1252(a.proxy.host));
    spnProxyPorta->setValue(a.proxy.porta ? a.proxy.porta : 1080);
    txtUsuario->setText(De_1252(a.proxy.usuario));
    txtSenha->setText(De_1252(a.proxy.senha));
    Proxy_Alterado();
}

void frmConexao::Proxy_Alterado()
{
    const bool ativo = cmbProxy->currentIndex() != 0;
    for (QWidget *w : std::initializer_list<QWidget *>{txtProxyServidor, spnProxyPorta, txtUsuario, txtSenha})
        w->setEnabled(ativo);
}

Ajustes_Conexao frmConexao::Ajustes() const
{
    Ajustes_Conexao a;
    a.servidor = Para_1252(txtServidor->text().trimmed());
    a.porta = static_cast<uint16_t>(spnPorta->value());
    a.proxy.tipo = static_cast<Proxy::Tipo>(cmbProxy->currentIndex());
    a.proxy.host = Para_1252(txtProxyServidor->text().trimmed());
    a.proxy.porta = static_cast<uint16_t>(spnProxyPorta->value());
    a.proxy.usuario = Para_1252(txtUsuario->text());
    a.proxy.senha = Para_1252(txtSenha->text());
    return a;
}

void frmConexao::cmdPadrao_Click()
{
    const Ajustes_Conexao padrao = Ajustes_Conexao_Padrao();
    txtServidor->setText(De_1252(padrao.servidor));
    spnPorta->setValue(padrao.porta);
}

void frmConexao::cmdTestar_Click()
{
    const Ajustes_Conexao a = Ajustes();
    if (a.servidor.empty() || (a.proxy.Ativo() && a.proxy.host.empty())) {
        Caixa_Mensagem(QStringLiteral("Informe a máquina servidora e, com proxy, a máquina do proxy."), Icone::Exclamacao, Botoes::Ok);
        return;
    }
    if (teste_.joinable())
        teste_.join();
    cmdTestar->setEnabled(false);
    cmdOk->setEnabled(false);
    txtResultado->setPlainText(QStringLiteral("Testando a conexão..."));
    // Off the window's thread: a name lookup or a silent proxy never freezes the window.
    teste_ = std::thread([this, a] {
        Socketout socket;
        socket.Tempo_Limite_Conexao_ms = Limite_Teste_ms;
        const Resultado_Teste r = Testar_Conexao(a, socket);
        QMetaObject::invokeMethod(this, [this, r] { Concluir_Teste(r); }, Qt::QueuedConnection);
    });
}

void frmConexao::Concluir_Teste(const Resultado_Teste &r)
{
    QString texto = r.sucesso ? QStringLiteral("A conexão funciona.\n") : QStringLiteral("A conexão não funciona.\n");
    texto += r.passos.join(QLatin1Char('\n'));
    if (!r.sucesso)
        texto += QStringLiteral("\n\nNa transmissão, a mensagem seria:\n") + QString(r.mensagem).replace(QChar(13), QLatin1Char('\n'));
    txtResultado->setPlainText(texto);
    cmdTestar->setEnabled(true);
    cmdOk->setEnabled(true);
    emit Teste_Concluido();
}

void frmConexao::cmdOk_Click()
{
    const Ajustes_Conexao a = Ajustes();
    if (a.proxy.Ativo() && a.proxy.host.empty()) {
        Caixa_Mensagem(QStringLiteral("Informe a máquina do proxy."), Icone::Exclamacao, Botoes::Ok);
        txtProxyServidor->setFocus();
        return;
    }
    Gravar_Conexao_Do_Usuario(a);
    Guardar_Senha_Sessao(a.proxy.senha);
    accept();
}
