#pragma once
// Settling uncertain deliveries: the file of each is sent again, as a batch, when its bytes are
// still those of the attempt (same SHA-256). The server either finds it received before (message
// 08: the receipt is recorded in the history, no reprint window) or accepts it as new; either
// way the new attempt in the ledger settles the uncertain one.
#include "engine/ledger/Razao_Entregas.h"
#include "engine/transmit/Lote.h"

#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

// The uncertain deliveries of the ledger beside `historico`, one for each file's bytes (the
// newest attempt), newest first; throws Erro_Execucao when the ledger cannot be read.
std::vector<Tentativa_Razao> Entregas_Incertas(const std::string &historico);

struct Incerta_Verificada {
    Tentativa_Razao tentativa;   // the uncertain attempt
    Resultado_Entrega resultado; // of the new delivery; uncertain with the reason when not sent
};

// Why a file was not sent again; empty when it still holds the attempt's bytes.
QString Motivo_Nao_Reenviar(const Tentativa_Razao &t);

// Sends again each of `incertas` whose file is unchanged (`ajustes` as for a batch; the events'
// indexes are those of the list), in its order.
std::vector<Incerta_Verificada> Verificar_Incertas(std::vector<Tentativa_Razao> incertas,
                                                   const Ajustes_Lote &ajustes,
                                                   const std::function<void(const Evento_Entrega &)> &aviso,
                                                   const std::atomic<bool> &parar);
