#pragma once
// What the user is told about a run-time failure that ends the transmit command.
#include "app/cis/CIS_000.h"

#include <QString>

struct Aviso_Falha {
    QString texto;
    Icone icone;
};

// Socket error numbers become messages 09-13; anything else the unhandled-error text (no icon).
Aviso_Falha Aviso_Para_Falha(int numero, const QString &descricao);
