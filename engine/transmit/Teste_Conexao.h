#pragma once
// "Testar conexão": looks up the name and connects (through the proxy when one is set, which
// opens the way to the server), then closes. Not one byte of the block protocol is sent, so a
// test never delivers anything.
#include "engine/transmit/Ajustes_Conexao.h"

#include <QString>
#include <QStringList>
#include <functional>

class Socketout;

struct Resultado_Teste {
    bool sucesso = false;
    QStringList passos;  // each step in plain words with how long it took
    QString mensagem;    // on failure: the numbered message a delivery would have shown
};

// `socket` is the component to use, closed when the test ends; meant for a worker thread.
Resultado_Teste Testar_Conexao(const Ajustes_Conexao &ajustes, Socketout &socket);
