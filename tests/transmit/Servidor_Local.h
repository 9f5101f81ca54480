#pragma once
// The local reception server on a loopback ephemeral port, with its data in a folder of its own
// that lives as long as the server. On Windows it is the Linux server, run outside the test.
#ifdef _WIN32
#include "tests/windows/Servidor_Linux.h"
#else
#include "tests/tools/Cliente_Teste.h"

#include <QTemporaryDir>

class Servidor_Local {
public:
    explicit Servidor_Local(servidor::Opcoes o = {}) : servidor_(Na_Pasta(std::move(o), pasta_)), porta(servidor_.porta) {}

private:
    static servidor::Opcoes Na_Pasta(servidor::Opcoes o, const QTemporaryDir &pasta)
    {
        o.porta = 0;
        o.dados = pasta.path().toStdString();
        o.silencio_ultimo_ms = 100; // archives that are not zips end quickly
        return o;
    }

    QTemporaryDir pasta_; // declared before the server, which keeps its data there
    Servidor_Teste servidor_;

public:
    const uint16_t porta;
};
#endif
