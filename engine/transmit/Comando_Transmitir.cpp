#include "engine/transmit/Comando_Transmitir.h"

#include "Configuracao.h"
#include "engine/history/Historico.h"
#include "engine/intake/Compactacao.h"
#include "engine/platform/Ao_Sair.h"
#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Socketout.h"
#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"
#include "engine/transmit/Falhas.h"
#include "engine/transmit/Janela_Transmissao.h"
#include "engine/transmit/Julgamento.h"
#include "engine/transmit/Mensagem_Bloco.h"
#include "engine/transmit/Mensagens.h"
#include "engine/transmit/Relogio.h"

#include <cerrno>
#include <cstdio>
#include <new>

namespace {
QString Percentual(int valor)
{
    return QString::number(valor) + QStringLiteral("% transmitido");
}

void Apagar_Ignorando_Falhas(const std::string &arquivo)
{
    std::remove(arquivo.c_str());
}
} // namespace

Ajustes_Transmissao Ajustes_Padrao()
{
    Ajustes_Transmissao a;
    a.servidor = ZELTA_SERVIDOR_RECEPCAO;
    a.porta = ZELTA_PORTA_RECEPCAO;
    return a;
}

Comando_Transmitir::Comando_Transmitir(Janela_Transmissao &janela, Relogio &relogio, Ajustes_Transmissao ajustes)
    : janela_(janela), relogio_(relogio), ajustes_(std::move(ajustes)), tentativa_(Caminho_Razao(ajustes_.historico))
{
}

void Comando_Transmitir::cmdTransmitir_Click(const std::optional<Arquivo_Escolhido> &arquivo)
{
    if (janela_.Em_Estado_Recibo()) {
        janela_.Mostrar_Visualizar();
        return;
    }
    // The stages put the pointer back in their own order; this only covers a failure none of
    // them expects, after the error handlers below have run.
    bool ampulheta = false;
    const Ao_Sair ponteiro([&] {
        if (ampulheta)
            janela_.Ponteiro_Espera(false);
    });
    try {
        if (!Verificar(arquivo))
            return;
        if (janela_.Perguntar(Pergunta::Confirmar_03, Mensagem::Confirmacao_03) != Resposta::Sim)
            return;
        janela_.Ponteiro_Espera(true);
        ampulheta = true;
        for (Controle c : {Controle::cmdTransmitir, Controle::cmdSair, Controle::filList, Controle::dirList,
                           Controle::txtTipoArq, Controle::drvList})
            janela_.Habilitar(c, false);
        if (!Compactar_E_Dimensionar())
            return;
        tentativa_.Inicio(nome_, caminho_, declaracao_, sha256_, ajustes_.arquivo_zip);
        Abrir_Conexao();
        Enviar_Blocos();
        Encerrar_Conexao();
        if (transmissao_ok_ != 1) {
            janela_.Fechar();
            return;
        }
        Estado_Recibo();
    } catch (const Erro_Execucao &e) {
        Falha(e.numero, e.descricao);
    } catch (const std::bad_alloc &) {
        Falha(Erro::Sem_Memoria, Descricao_Sistema(ENOMEM));
    }
}

// File choice and checks; false when the command ends here with the window unchanged.
bool Comando_Transmitir::Verificar(const std::optional<Arquivo_Escolhido> &arquivo)
{
    if (!arquivo) {
        janela_.Avisar({Mensagem_01, Icone::Exclamacao, 1});
        janela_.Foco_Lista_Arquivos();
        return false;
    }
    // The name travels in the block header and the record as Windows-1252; the file is opened
    // by its name as the file system spells it.
    nome_ = Para_1252(arquivo->nome);
    caminho_ = Caminho_Declaracao(arquivo->pasta, arquivo->nome_sistema);
    // Opened once: the bytes checked here are the bytes packed and sent.
    declaracao_aberta_ = Abrir_Arquivo_Comum(caminho_);
    const Resultado_Verificacao r = Verificar_Declaracao(declaracao_aberta_, declaracao_);
    if (r == Resultado_Verificacao::Aceito)
        return true;
    if (r == Resultado_Verificacao::Nao_Validado)
        janela_.Avisar({Mensagem_15, Icone::Exclamacao, 15});
    else
        janela_.Avisar({Mensagem_16, Icone::Exclamacao, 16});
    janela_.Foco_Lista_Arquivos();
    return false;
}

// Compression and sizing; false when the command ended (packing failed, long transfer declined).
bool Comando_Transmitir::Compactar_E_Dimensionar()
{
    Apagar_Ignorando_Falhas(ajustes_.arquivo_zip);
    if (!Compacta_Arquivo(janela_.Compactador(), caminho_, ajustes_.arquivo_zip, &declaracao_aberta_)) {
        janela_.Avisar({Mensagem::Erro_Compactacao, Icone::Informacao, 0});
        janela_.Ponteiro_Espera(false);
        janela_.Fechar();
        janela_.Processar_Eventos();
        return false;
    }
    sha256_ = Sha256_Descritor(declaracao_aberta_);
    declaracao_aberta_.Fechar();
    arquivo_.reset(std::fopen(ajustes_.arquivo_zip.c_str(), "rb"));
    if (!arquivo_)
        throw Erro_De_Arquivo(errno);
    if (std::fseek(arquivo_.get(), 0, SEEK_END) != 0 || (tamanho_ = std::ftell(arquivo_.get())) < 0)
        throw Erro_De_Arquivo(errno);
    total_blocos_ = Calcular_Total_Blocos(tamanho_);
    if (tamanho_ > 13000
        && janela_.Perguntar(Pergunta::Tamanho_04, Mensagem::Tamanho_04) != Resposta::Sim) {
        janela_.Ponteiro_Espera(false);
        arquivo_.reset();
        janela_.Processar_Eventos();
        janela_.Fechar();
        return false;
    }
    return true;
}

void Comando_Transmitir::Abrir_Conexao()
{
    passo_ = Calcular_Passo_Percentual(total_blocos_);
    janela_.Mostrar(Controle::txtPercentual, true);
    janela_.Mostrar(Controle::Text1, false);
    janela_.Mostrar(Controle::Label1, false);
    transmissao_ok_ = 1;
    envio_encerrado_ = 0;
    Socketout &sock = janela_.Socket();
    if (sock.Conectado())
        sock.Fechar_Conexao();
    sock.Host_Remoto = ajustes_.servidor;
    sock.Porta_Remota = ajustes_.porta;
    sock.Abrir_Conexao();
    janela_.Definir_Legenda(Controle::txtPercentual, Percentual(0));
}

void Comando_Transmitir::Enviar_Blocos()
{
    Socketout &sock = janela_.Socket();
    std::string buffer(Tamanho_Bloco, '\0');
    for (int bloco = 1; bloco <= total_blocos_ && envio_encerrado_ != 1; ++bloco) {
        if (janela_.Interromper()) {
            resposta_ = "9";
            sem_resposta_ = true;
            Julgar(resposta_);
            break;
        }
        const int n = Tamanho_Do_Bloco(tamanho_, bloco, total_blocos_);
        if (std::fseek(arquivo_.get(), static_cast<long>(bloco - 1) * Tamanho_Bloco, SEEK_SET) != 0)
            throw Erro_De_Arquivo(errno);
        if (std::fread(buffer.data(), 1, static_cast<size_t>(n), arquivo_.get()) != static_cast<size_t>(n))
            throw Erro_Execucao(Erro::Leitura_Apos_Fim, QStringLiteral("Leitura além do fim do arquivo"));
        const std::string mensagem = Montar_Mensagem_Bloco(declaracao_.Tipo_Arquivo, nome_, bloco, total_blocos_,
                                                           std::string_view(buffer.data(), n));
        if (bloco == total_blocos_)
            tentativa_.Ultimo_Bloco(); // from here on the server may have it
        sock.Enviar_Dados(mensagem, static_cast<int>(mensagem.size()));
        janela_.Bloco_Enviado(bloco, total_blocos_);
        janela_.Definir_Legenda(Controle::txtPercentual, Percentual(bloco * passo_));
        if (bloco == total_blocos_) {
            Pausa_Segundos(relogio_, 3);
            janela_.Aguardando_Resposta();
        }
        janela_.Processar_Eventos();
        Pausa_Segundos(relogio_, 5);
        resposta_ = Aguardar_Resposta();
        Julgar(resposta_);
        sock.Comando_Pos_Resposta();
        janela_.Processar_Eventos();
    }
}

std::string Comando_Transmitir::Aguardar_Resposta()
{
    Socketout &sock = janela_.Socket();
    int tentativas = 0;
    for (;;) {
        if (sock.Bytes_Disponiveis() != 0)
            return sock.Receber_Dados(sock.Bytes_Disponiveis());
        ++tentativas;
        Pausa_Segundos(relogio_, 5);
        if (tentativas <= 20 && !janela_.Espera_Esgotada())
            continue;
        tentativas = 0;
        if (janela_.Perguntar(Pergunta::Demora_05, Mensagem::Demora_05) != Resposta::Sim) {
            sem_resposta_ = true;
            return "9";
        }
    }
}

void Comando_Transmitir::Julgar(const std::string &resposta)
{
    const Julgamento j = Julgar_Resposta(resposta, declaracao_.Mes_Competencia, declaracao_.Ano_Competencia);
    if (j.veredito == Veredito::Segue)
        return;
    if (j.veredito == Veredito::Recusa) {
        tentativa_.Recusada(j.numero, j.mensagem, sem_resposta_);
        janela_.Avisar({j.mensagem, Icone::Exclamacao, j.numero});
        envio_encerrado_ = 1;
        transmissao_ok_ = 0;
        return;
    }
    tentativa_.Ja_Entregue(resposta);
    const Resposta reimprimir = janela_.Perguntar(Pergunta::Reimprimir_08, j.mensagem);
    envio_encerrado_ = 1;
    transmissao_ok_ = 0;
    // The look before is the one the window has always made (its failure is reported as before);
    // the append looks again under the history's lock, as another delivery of the same file may
    // have recorded it meanwhile.
    if (!Entrada_Presente(Codigo_Recebimento_De(resposta), ajustes_.historico))
        Registrar(resposta, Mesma_Entrada::Codigo);
    if (reimprimir == Resposta::Sim) {
        janela_.Ponteiro_Espera(false);
        janela_.Mostrar_Reimpressao(Codigo_Recebimento_De(resposta));
    }
}

void Comando_Transmitir::Encerrar_Conexao()
{
    janela_.Ponteiro_Espera(false);
    Socketout &sock = janela_.Socket();
    if (sock.Conectado())
        sock.Fechar_Conexao();
    arquivo_.reset();
    Apagar_Ignorando_Falhas(ajustes_.arquivo_zip);
    janela_.Processar_Eventos();
}

// Builds the receipt record from a reply and appends it to the history unless the same entry is
// there. A delivery the server accepted is never lost from sight: when the history cannot be
// written the user is told why and the record stays current, so its receipt can still be printed
// or previewed. For an accepted delivery the same entry is the same delivery (a copy of the file
// answered 08 at the same moment, recorded first): a line with only the same code could be an
// older delivery, whose record must not stand in for this one.
void Comando_Transmitir::Registrar(const std::string &resposta, Mesma_Entrada mesma)
{
    const std::string recibo = Montar_Recibo({resposta, nome_, declaracao_});
    janela_.Guardar_Recibo(recibo);
    try {
        Gravar_Historico_Se_Ausente(recibo, mesma, ajustes_.historico);
    } catch (const Erro_Execucao &e) {
        janela_.Historico_Nao_Gravado(e.descricao);
    }
}

void Comando_Transmitir::Estado_Recibo()
{
    tentativa_.Aceita(resposta_);
    Registrar(resposta_, Mesma_Entrada::Entrega);
    janela_.Entrar_Estado_Recibo(De_1252(Codigo_Recebimento_De(resposta_)));
    janela_.Processar_Eventos();
    janela_.Habilitar(Controle::cmdSair, true);
}

void Comando_Transmitir::Falha(int numero, const QString &descricao)
{
    falha_ = numero;
    const Aviso aviso = Aviso_Para_Falha(numero, descricao);
    tentativa_.Falhou(aviso.numero, aviso.texto);
    janela_.Avisar(aviso);
    janela_.Ponteiro_Espera(false);
    arquivo_.reset();
    janela_.Fechar();
    janela_.Processar_Eventos();
}
