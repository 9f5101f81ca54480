#pragma once
// What the program finds in a declaration file, checked with the program's own code.
#include "engine/intake/Verificacao.h"

#include <string>

namespace declaracao {

struct Conferencia {
    Dados_Declaracao dados;
    Resultado_Verificacao resultado = Resultado_Verificacao::Nao_Validado;
};

// Throws Falha_Ferramenta when the file is missing, unreadable, not text, or the check fails
// at run time (the program would show its unhandled-error message).
Conferencia Conferir(const std::string &caminho);

// "aceito", "15" or "16".
std::string Nome_Resultado(Resultado_Verificacao r);

// A readable report (UTF-8) and one JSON object (UTF-8, one line).
std::string Relatorio_Texto(const Conferencia &c);
std::string Relatorio_Json(const Conferencia &c);

} // namespace declaracao
