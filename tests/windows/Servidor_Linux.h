#pragma once
// The reception server for the Windows suites under Wine: a Linux program, started on the test's
// behalf by the controller scripts/teste-windows runs (tests/windows/servidores_linux.py, its port
// in ZELTA_SERVIDORES_LINUX). The server listens on 127.0.0.1 with a data folder of its own until
// this object closes its connection to the controller.
#include "engine/platform/Socketout.h"
#include "tools/servidor/Opcoes.h"

#include <cstdint>

class Servidor_Local {
public:
    explicit Servidor_Local(const servidor::Opcoes &o = {});

private:
    Socketout controle_;

public:
    const uint16_t porta;
};
