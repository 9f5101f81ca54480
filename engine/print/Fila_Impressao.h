#pragma once
// The print system's word on a queue and on a job: one implementation per system (CUPS on Linux).
#include <QString>

// Whether the print system takes jobs for this queue now (it exists and was not told to refuse
// them, as `cupsreject` does); false with the print system's reason in `motivo`.
bool Fila_Aceita_Trabalhos(const QString &nome, QString *motivo = nullptr);
// Marks the start of a job's submission from this thread (before QPainter::begin()).
void Comecar_Envio();
// Whether the submission started last from this thread was refused by the print system. The
// printer engine submits in QPainter::end() without reporting the outcome: CUPS keeps it, per
// thread, until its next call; Qt's Windows engine only warns when the spooler refuses a page or
// the document's end.
bool Ultimo_Envio_Recusado(QString *motivo = nullptr);
