#pragma once
// What the user is told about a run-time failure that ends the transmit command.
#include "engine/transmit/Perguntas.h"

#include <QString>

// Socket error numbers become messages 09-13 (network unreachable 24051 is 09, connection refused
// 24061 is 10); failures through a proxy the same messages with the proxy's detail on a line
// of its own; anything else the unhandled-error text (no icon).
Aviso Aviso_Para_Falha(int numero, const QString &descricao);
