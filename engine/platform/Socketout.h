#pragma once
// The transmit window's TCP client: a small blocking client. Every failing operation throws
// Erro_Execucao carrying the socket error number of the condition:
//   host name not found 25001, host unreachable 24065, timed out 24060, not connected 24057,
//   aborted 24053, reset by peer 24054, address not available 24049, not supported 24045-24047,
//   any other errno: 14000 + its Windows Sockets code where one exists (refused 24061), with the
//   platform's description of the failure.
#include "engine/platform/Descritor.h"

#include <cstdint>
#include <functional>
#include <string>

class Socketout {
public:
    Socketout() = default;
    virtual ~Socketout();
    Socketout(const Socketout &) = delete;
    Socketout &operator=(const Socketout &) = delete;

    // Set-up settings, given before Abrir_Conexao.
    std::string Host_Remoto;            // resolved by name
    uint16_t Porta_Remota = 0;
    int Tempo_Limite_Conexao_ms = 30000; // connecting gives up after this (24060)
    // Runs about ten times a second while a connection is being made (a window paints there).
    std::function<void()> Durante_Espera;

    virtual bool Conectado() const;
    virtual void Abrir_Conexao();
    // Sends every byte or throws; returns the number of bytes sent.
    virtual int Enviar_Dados(const std::string &buffer, int tamanho);
    // Received bytes waiting to be read; 0 when none. On a connection the peer has closed with
    // nothing left to read, throws "connection aborted" (24053): no reply can come any more.
    virtual int Bytes_Disponiveis();
    // Up to n waiting bytes, without blocking.
    virtual std::string Receber_Dados(int n);
    // After a reply was read: drops whatever is still waiting from that reply, so it is not
    // read as the next block's reply. The connection stays usable.
    virtual void Comando_Pos_Resposta();
    virtual void Fechar_Conexao();

private:
    sistema::Descritor fd_;
};
