#pragma once
// A socket component that adds a step to another one (a proxy's negotiation, a log) and hands
// everything else to it. The set-up settings given to this one reach the inner one when the
// connection opens.
#include "engine/platform/Socketout.h"

class Socket_Encadeado : public Socketout {
public:
    explicit Socket_Encadeado(Socketout &interno) : interno_(interno)
    {
        Host_Remoto = interno.Host_Remoto;
        Porta_Remota = interno.Porta_Remota;
        Tempo_Limite_Conexao_ms = interno.Tempo_Limite_Conexao_ms;
        Durante_Espera = interno.Durante_Espera;
    }

    bool Conectado() const override { return interno_.Conectado(); }
    void Abrir_Conexao() override
    {
        Passar_Ajustes();
        interno_.Abrir_Conexao();
    }
    int Enviar_Dados(const std::string &buffer, int tamanho) override { return interno_.Enviar_Dados(buffer, tamanho); }
    int Bytes_Disponiveis() override { return interno_.Bytes_Disponiveis(); }
    std::string Receber_Dados(int n) override { return interno_.Receber_Dados(n); }
    void Comando_Pos_Resposta() override { interno_.Comando_Pos_Resposta(); }
    void Fechar_Conexao() override { interno_.Fechar_Conexao(); }

protected:
    void Passar_Ajustes()
    {
        interno_.Host_Remoto = Host_Remoto;
        interno_.Porta_Remota = Porta_Remota;
        interno_.Tempo_Limite_Conexao_ms = Tempo_Limite_Conexao_ms;
        interno_.Durante_Espera = Durante_Espera;
    }
    Socketout &interno_;
};
