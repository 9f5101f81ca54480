// ZELTA Net: delivers monthly declaration files to the reception server.
#include "gui/cis/CIS_000.h"
#include "gui/app/frmPrincipal.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Preparar_Datas_Portugues();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZELTA Net"));
    Carregar_Traducao(app);
    frmPrincipal principal;
    principal.show();
    return app.exec();
}
