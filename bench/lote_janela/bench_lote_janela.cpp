// The batch window with its default parallel deliveries, the real clock and the local reception
// server on loopback: the wall time of 8 files beside that of one file, from the press of
// "Transmitir" to the end of the batch. Goal: 8 files at 4 at once within 2.6x one file.
#include "../../tests/transmit/Servidor_Local.h"

#include "gui/intake/frmLote.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/RoteiroMensagens.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr double Meta = 2.6;

// Seconds from the press to the end of the batch over `arquivos` new files; -1 when one failed.
double Entregar(int arquivos, uint16_t porta, int &serie, int &paralelas)
{
    const QTemporaryDir pasta;
    for (int i = 0; i < arquivos; ++i) {
        const std::string nome = "J" + std::to_string(++serie) + ".MOV";
        Opcoes_Geracao o = Declaracao_Padrao(QDir(pasta.path()).filePath(QString::fromStdString(nome)).toStdString());
        o.razao_social = "EMPRESA " + std::to_string(serie);
        Gerar_Arquivo(o);
    }
    frmLote j;
    j.Ajustes_.servidor = "127.0.0.1";
    j.Ajustes_.porta = porta;
    j.show();
    paralelas = j.spnParalelas->value();
    QSignalSpy lida(&j, &frmLote::Pasta_Lida);
    j.Abrir_Pasta(pasta.path());
    if (!lida.wait(30000))
        return -1;
    RoteiroMensagens roteiro;
    roteiro.responder(Resposta::Sim);
    QSignalSpy fim(&j, &frmLote::Lote_Concluido);
    QElapsedTimer t;
    t.start();
    j.cmdTransmitir->click();
    if (!fim.wait(600000))
        return -1;
    const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
    for (const Resultado_Entrega &r : j.Resultados())
        if (r.situacao != Situacao_Entrega::Aceita)
            return -1;
    return s;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QTemporaryDir trabalho;
    QDir::setCurrent(trabalho.path());
    Servidor_Local servidor;
    int serie = 0, paralelas = 0;
    const double uma = Entregar(1, servidor.porta, serie, paralelas);
    const double oito = Entregar(8, servidor.porta, serie, paralelas);
    if (uma <= 0 || oito <= 0) {
        std::fprintf(stderr, "a delivery was not accepted\n");
        return 1;
    }
    std::printf("one file: %.2f s\n8 files at %d at once (the window's default): %.2f s, %.2fx one file (goal <= %.1fx)\n",
                uma, paralelas, oito, oito / uma, Meta);
    return oito <= Meta * uma ? 0 : 3;
}
