#pragma once
// Declaration files for tests, written by the declaration tool's own generator: by default a
// validated movement file of competence 03/2024 with 1 "B" and 3 "C" records.
#include "tools/declaracao/Gerador.h"

using declaracao::Gerar_Arquivo;
using declaracao::Opcoes_Geracao;

inline Opcoes_Geracao Declaracao_Padrao(const std::string &saida)
{
    Opcoes_Geracao o;
    o.saida = saida;
    o.competencia = "032024";
    return o;
}

inline void Gravar_Declaracao(const std::string &saida) { Gerar_Arquivo(Declaracao_Padrao(saida)); }
