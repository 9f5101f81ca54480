#pragma once
// The drives of the transmit window's drive list: the mounted volumes, by their root folders.
// Tests replace the source.
#include <QString>
#include <functional>
#include <vector>

// Roots of the mounted volumes: "/" first, then the others sorted by path.
std::vector<QString> Unidades_Montadas();
// The system's own list, which Unidades_Montadas gives unless a test replaced the source.
std::vector<QString> Volumes_Do_Sistema();

using Fonte_Unidades = std::function<std::vector<QString>()>;
// Replaces where the list comes from; an empty source restores the system's. Returns the one before.
Fonte_Unidades Trocar_Fonte_Unidades(Fonte_Unidades nova);

// The root among `unidades` that holds `caminho` (the longest one that does); empty when none does.
QString Unidade_De(const QString &caminho, const std::vector<QString> &unidades);
