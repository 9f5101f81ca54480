#include "gui/intake/frmInicio.h"

#include "gui/cis/CIS_000.h"
#include "gui/intake/Lista_Arquivos.h"
#include "gui/intake/frmInicio_entrada.h"
#include "gui/intake/frmInicio_janela.h"
#include "engine/platform/Ao_Sair.h"
#include "gui/receipt/Imprime_Recibo.h"
#include "engine/transmit/Comando_Transmitir.h"
#include "engine/transmit/Janela_Via_Rede.h"
#include "engine/transmit/Registro_Comunicacao.h"
#include "engine/transmit/Relogio.h"

#include <QPushButton>

namespace {
Relogio &Relogio_Padrao()
{
    static Relogio_Sistema r;
    return r;
}
} // namespace

void frmInicio::cmdTransmitir_Click()
{
    if (Em_Transmissao_)
        return;
    frmInicio_Janela janela(*this);
    // The window paints and answers the window manager during the pauses and while connecting,
    // but takes no input.
    Relogio_Com_Espera relogio(Relogio_ ? *Relogio_ : Relogio_Padrao(), &frmInicio_Janela::Pintar_Agora);
    if (Socketout_)
        Socketout_->Durante_Espera = &frmInicio_Janela::Pintar_Agora;
    // Out through the user's proxy, each delivery in the log; a press in the receipt state only previews.
    Proxy proxy = Proxy_;
    const bool entrega = !janela.Em_Estado_Recibo();
    if (entrega && !Pedir_Senha_Se_Preciso(this, proxy))
        return;
    const auto escolha = janela.Escolha();
    Janela_Via_Rede via(janela, proxy, entrega ? Registro_Do_Usuario().get() : nullptr, escolha ? escolha->nome : QString());
    Comando_Transmitir comando(via, relogio, Ajustes_);
    // The close box and Escape are ignored while the command runs: closing at one of its yield
    // points would destroy the window under it. The command closes the window itself when it ends so.
    Em_Transmissao_ = true;
    {
        const Ao_Sair fim([this] { Em_Transmissao_ = false; });
        Bloqueio_Entrada bloqueio(this);
        comando.cmdTransmitir_Click(escolha);
    }
    Esquecer_Senha_Recusada(comando.Numero_Falha(), Proxy_);
    // After a delivery every control that held the focus was disabled: give it back to the
    // button that now reads "Visualizar", so the keyboard keeps working. After a refusal the
    // command itself left the focus on the file list.
    if (isVisible() && !filList->isEnabled() && cmdTransmitir->isEnabled() && !cmdTransmitir->hasFocus())
        cmdTransmitir->setFocus();
}

void frmInicio::cmdImprimir_Click()
{
    Imprimir_Da_Lista(cmb_print, Dados_Recibo);
}

void frmInicio::Fechar_Pelo_Comando()
{
    Form_Unload();
    QDialog::done(QDialog::Rejected);
}
