#pragma once
// The print system's word on a queue and on a job: one implementation per system (CUPS on Linux).
#include <QString>

// Whether the print system takes jobs for this queue now (it exists and was not told to refuse
// them, as `cupsreject` does); false with the print system's reason in `motivo`.
bool Fila_Aceita_Trabalhos(const QString &nome, QString *motivo = nullptr);
// Whether the last submission of a job from this thread was refused by the print system. The
// printer engine submits in QPainter::end() without reporting the outcome; the print library
// keeps it, per thread, until its next call.
bool Ultimo_Envio_Recusado(QString *motivo = nullptr);
