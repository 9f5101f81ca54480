#include "app/shell/frmPrincipal.h"

frmPrincipal::frmPrincipal(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("ZELTA Net"));
}
