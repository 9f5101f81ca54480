#pragma once
// The transmit command: one press of "&Transmitir" delivers the chosen declaration file and ends
// with the window in its receipt state or closed.
#include "engine/history/Historico.h"
#include "engine/intake/Verificacao.h"
#include "engine/transmit/Janela_Transmissao.h"
#include "engine/transmit/Registro_Tentativa.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

class Relogio;

struct Ajustes_Transmissao {
    std::string servidor;                      // host name of the reception server
    uint16_t porta = 2500;
    std::string arquivo_zip = "Arqzip.zip";    // the temporary archive, in the current directory
    std::string historico = "Zelta.ret";
};
Ajustes_Transmissao Ajustes_Padrao();

class Comando_Transmitir {
public:
    Comando_Transmitir(Janela_Transmissao &janela, Relogio &relogio, Ajustes_Transmissao ajustes = Ajustes_Padrao());
    // A press with this file chosen (none: message 01); in the receipt state a press previews.
    void cmdTransmitir_Click(const std::optional<Arquivo_Escolhido> &arquivo);

    // What the checks found, kept after the press: a batch reports whose file each result is.
    const Dados_Declaracao &Declaracao() const { return declaracao_; }
    const std::string &Resposta_Servidor() const { return resposta_; }
    // Whether the press ended with the last block gone and no judged reply.
    bool Incerta() const { return tentativa_.Incerta(); }
    // The number of the run-time failure that ended the press (`Erro_Execucao`); 0 when none did.
    int Numero_Falha() const { return falha_; }

private:
    struct Fecha_Arquivo { void operator()(std::FILE *f) const { std::fclose(f); } };

    bool Verificar(const std::optional<Arquivo_Escolhido> &arquivo);
    bool Compactar_E_Dimensionar();
    void Abrir_Conexao();
    void Enviar_Blocos();
    std::string Aguardar_Resposta();
    void Julgar(const std::string &resposta);
    void Encerrar_Conexao();
    void Estado_Recibo();
    void Registrar(const std::string &resposta, Mesma_Entrada mesma);
    void Falha(int numero, const QString &descricao);

    Janela_Transmissao &janela_;
    Relogio &relogio_;
    Ajustes_Transmissao ajustes_;
    Dados_Declaracao declaracao_;
    std::string caminho_;
    sistema::Descritor declaracao_aberta_;
    std::string nome_;
    std::unique_ptr<std::FILE, Fecha_Arquivo> arquivo_;
    int64_t tamanho_ = 0;
    int16_t total_blocos_ = 0;
    int16_t passo_ = 0;
    int16_t transmissao_ok_ = 0;
    int16_t envio_encerrado_ = 0;
    std::string resposta_; // Resposta_Servidor
    std::string sha256_;   // of the declaration bytes packed
    bool sem_resposta_ = false; // resposta_ is the abandonment this program made up, not the server's
    int falha_ = 0;             // Numero_Falha
    Registro_Tentativa tentativa_; // this press in the ledger of deliveries
};
