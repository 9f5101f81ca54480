#include "engine/print/Impressora_Aplicacao.h"

#include "engine/print/Impressoras.h"

#include <optional>

namespace {
std::optional<QString> &Atual()
{
    static std::optional<QString> nome;
    return nome;
}
} // namespace

QString Impressora_Aplicacao()
{
    // Read the default lazily: the printer source may be replaced before the first print.
    if (!Atual())
        Atual() = Impressora_Padrao_Sistema();
    return *Atual();
}

void Definir_Impressora_Aplicacao(const QString &nome) { Atual() = nome; }

void Reiniciar_Impressora_Aplicacao() { Atual().reset(); }
