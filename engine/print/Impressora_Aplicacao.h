#pragma once
// The application's current printer: one program-wide device name that printing writes to,
// the system's default printer until a print switches it.
#include <QString>

QString Impressora_Aplicacao();
void Definir_Impressora_Aplicacao(const QString &nome);
// Back to "not chosen yet": the next read takes the system's default again (for tests).
void Reiniciar_Impressora_Aplicacao();
