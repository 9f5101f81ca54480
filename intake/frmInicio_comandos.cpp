#include "intake/frmInicio.h"

void frmInicio::cmdTransmitir_Click()
{
}

void frmInicio::cmdImprimir_Click()
{
}
