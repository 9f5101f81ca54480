#include "intake/janela/frmInicio.h"

#include "app/cis/CIS_000.h"
#include "intake/janela/frmInicio_janela.h"
#include "receipt/Imprime_Recibo.h"
#include "transmit/Comando_Transmitir.h"
#include "transmit/Relogio.h"

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
    Comando_Transmitir comando(janela, Relogio_ ? *Relogio_ : Relogio_Padrao(), Ajustes_);
    // The close box and Escape are ignored while the command runs: closing at one of its yield
    // points would destroy the window under it. The command closes the window itself when it ends so.
    Em_Transmissao_ = true;
    comando.cmdTransmitir_Click();
    Em_Transmissao_ = false;
    // Every control that held the focus was disabled during the upload: give it back to the
    // button that now reads "Visualizar", so the keyboard keeps working.
    if (isVisible() && cmdTransmitir->isEnabled() && !cmdTransmitir->hasFocus())
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
