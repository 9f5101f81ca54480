#pragma once
// The socket component writing to the delivery log: the connection made (where, through which
// proxy, how long it took), the header of each block sent, each reply received, the close.
#include "engine/platform/Socket_Encadeado.h"

#include <QString>
#include <chrono>

class Registro_Comunicacao;

class Socket_Registrado : public Socket_Encadeado {
public:
    // `via` says how the connection goes out ("sem proxy", the proxy's description).
    Socket_Registrado(Socketout &interno, Registro_Comunicacao &registro, QString via)
        : Socket_Encadeado(interno), registro_(registro), via_(std::move(via))
    {
    }
    void Abrir_Conexao() override;
    int Enviar_Dados(const std::string &buffer, int tamanho) override;
    std::string Receber_Dados(int n) override;
    void Fechar_Conexao() override;

private:
    QString Decorrido() const;

    Registro_Comunicacao &registro_;
    QString via_;
    std::chrono::steady_clock::time_point inicio_;
};
