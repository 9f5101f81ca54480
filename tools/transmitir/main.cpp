// zelta-transmitir: delivers declaration files from the command line with the transmit command,
// appending to the "Zelta.ret" of the current folder.
#include "engine/platform/Console.h"
#include "engine/print/Recibos_Pdf.h"
#include "tools/transmitir/Opcoes.h"
#include "tools/transmitir/Painel.h"
#include "engine/transmit/Ajustes_Conexao.h"
#include "engine/transmit/Lote.h"
#include "engine/transmit/Registro_Comunicacao.h"
#include "engine/transmit/Mensagens.h"
#include "engine/transmit/Verificar_Incertas.h"
#include "engine/platform/Erro_Execucao.h"

#include <QDir>
#include <QGuiApplication>
#include <QSettings>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {
std::atomic<bool> Parar{false};

bool Confirmar()
{
    QString texto = Mensagem::Confirmacao_03;
    texto.replace(QChar(13), QChar('\n'));
    std::fputs((texto + QStringLiteral(" [s/N] ")).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    std::string resposta;
    if (!std::getline(std::cin, resposta))
        return false;
    const QString r = QString::fromLocal8Bit(resposta).trimmed().toLower();
    return r == QStringLiteral("s") || r == QStringLiteral("sim");
}

// Writes the receipts of the files accepted or delivered before; false when one was not written.
// Says where they went, after the summary.
bool Gravar_Recibos(const QString &pasta, const std::vector<Resultado_Entrega> &resultados, const std::string &historico,
                    Painel &painel, QString &onde)
{
    const Gravacao_Recibos g = Gravar_Recibos_Pdf(Registros_Dos_Recibos(resultados, historico), pasta);
    for (const Recibo_Pdf_Gravado &f : g.falhas)
        painel.Linha(QStringLiteral("Recibo não gravado: ") + f.caminho + QStringLiteral(" - ") + f.motivo);
    onde = QStringLiteral("%1 recibo(s) em PDF gravado(s) em %2\n")
               .arg(g.gravados.size())
               .arg(QDir::toNativeSeparators(QDir(pasta).absolutePath()));
    return g.falhas.empty();
}
} // namespace

int main(int argc, char **argv)
{
    Preparar_Console();
    const Opcoes_Transmitir o = Ler_Opcoes(std::vector<std::string>(argv, argv + argc));
    // Only the receipts need fonts and a paint engine; they are drawn without a screen.
    if (!o.recibos.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = o.recibos.isEmpty()
                                                      ? std::make_unique<QCoreApplication>(argc, argv)
                                                      : std::make_unique<QGuiApplication>(argc, argv);
    if (o.ajuda) {
        std::fputs(Texto_Ajuda().toLocal8Bit().constData(), stdout);
        return Saida_Sucesso;
    }
    if (!o.erro.isEmpty()) {
        std::fputs((o.erro + QStringLiteral("\nUse --help para ver as opções.\n")).toLocal8Bit().constData(), stderr);
        return Saida_Uso;
    }
    if (!o.sim && !Confirmar()) {
        std::fputs("Nenhum arquivo foi transmitido.\n", stdout);
        return Saida_Nao_Transmitido;
    }

    // The user's connection settings, as the windows use them; the command line wins.
    Ajustes_Lote a = Ajustes_Lote_Padrao();
    const Ajustes_Conexao conexao = Ler_Ajustes_Conexao(QSettings(QStringLiteral("zeltanet"), QStringLiteral("zeltanet")));
    a.servidor = conexao.servidor;
    a.porta = conexao.porta;
    a.proxy = o.proxy ? *o.proxy : conexao.proxy;
    a.registro = std::make_shared<Registro_Comunicacao>(Registro_Comunicacao::Caminho_Padrao());
    if (!o.servidor.empty())
        a.servidor = o.servidor;
    if (o.porta != 0)
        a.porta = o.porta;
    a.paralelas = o.paralelas;
    a.espera_maxima_s = o.espera_min * 60.0;

    // --verificar: the files are those of the ledger's uncertain deliveries.
    std::vector<Tentativa_Razao> incertas;
    std::vector<std::string> arquivos = o.arquivos;
    if (o.verificar) {
        try {
            incertas = Entregas_Incertas(a.historico);
        } catch (const Erro_Execucao &e) {
            std::fputs((e.descricao + QChar('\n')).toLocal8Bit().constData(), stderr);
            return Saida_Nao_Transmitido;
        }
        if (incertas.empty()) {
            std::fputs("Nenhuma entrega incerta.\n", stdout);
            return Saida_Sucesso;
        }
        arquivos.clear();
        for (const Tentativa_Razao &t : incertas)
            arquivos.push_back(t.caminho);
    }
    Painel painel(stdout, E_Terminal(stdout), arquivos);
    // The first Ctrl-C lets running deliveries end their step and starts no new file; a second
    // ends the program at once (a history entry is one write, which the end of the process does
    // not cut).
    Vigiar_Interrupcao([&painel] {
        Parar = true;
        painel.Aviso(QStringLiteral("Interrompido: nenhum arquivo novo será iniciado; os que estão sendo enviados "
                                    "terminam a etapa em que estão."));
    });
    const auto evento = [&](const Evento_Entrega &e) { painel.Evento(e); };
    std::vector<Resultado_Entrega> resultados;
    if (o.verificar) {
        for (Incerta_Verificada &v : Verificar_Incertas(incertas, a, evento, Parar))
            resultados.push_back(std::move(v.resultado));
    } else {
        resultados = Transmitir_Lote(o.arquivos, a, evento, Parar);
    }
    QString onde;
    const bool recibos_gravados =
        o.recibos.isEmpty() || Gravar_Recibos(o.recibos, resultados, a.historico, painel, onde);
    painel.Resumo(resultados);
    std::fputs(onde.toLocal8Bit().constData(), stdout);
    if (Recibo_Fora_Do_Historico(resultados))
        return Saida_Fora_Do_Historico;
    if (std::any_of(resultados.begin(), resultados.end(),
                    [](const Resultado_Entrega &r) { return r.situacao == Situacao_Entrega::Incerta; }))
        return Saida_Incerta;
    if (!Lote_Bem_Sucedido(resultados))
        return Saida_Nao_Transmitido;
    return recibos_gravados ? Saida_Sucesso : Saida_Recibos_Pdf;
}
