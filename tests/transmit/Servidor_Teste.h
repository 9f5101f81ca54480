#pragma once
// The local reception server, run on a loopback ephemeral port for the length of a test.
#include "tools/servidor/Servidor.h"

#include <QTemporaryDir>
#include <memory>
#include <thread>

class Servidor_Teste {
public:
    explicit Servidor_Teste(servidor::Opcoes o = {})
    {
        o.porta = 0;
        o.dados = pasta.path().toStdString();
        o.silencio_ultimo_ms = 100;
        srv = std::make_unique<servidor::Servidor>(o);
        porta = srv->Iniciar();
        linha = std::thread([this] { srv->Executar(); });
    }
    ~Servidor_Teste()
    {
        srv->Parar();
        linha.join();
    }
    QTemporaryDir pasta;
    std::unique_ptr<servidor::Servidor> srv;
    uint16_t porta = 0;
    std::thread linha;
};
