// Prints the test receipt through Imprime_Recibo on the print queue named by the first argument.
// Exits 1 when printing reported a message (the printer was not available).
#include "gui/cis/CIS_000.h"
#include "gui/receipt/Imprime_Recibo.h"
#include "tests/receipt/Registros_Teste.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s QUEUE\n", argv[0]);
        return 2;
    }
    int mensagens = 0;
    Trocar_Mostrador_Mensagem([&](const QString &texto, Icone, Botoes) {
        std::fprintf(stderr, "message: %s\n", qPrintable(texto));
        ++mensagens;
        return Resposta::Ok;
    });
    Imprime_Recibo(Registro_Teste(), QString::fromLocal8Bit(argv[1]));
    return mensagens == 0 ? 0 : 1;
}
