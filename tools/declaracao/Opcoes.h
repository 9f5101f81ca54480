#pragma once
// Command-line options of "zelta-declaracao gerar".
#include "tools/declaracao/Gerador.h"

#include <string>
#include <vector>

// Reads the options that follow "gerar". Throws Falha_Ferramenta with a clear text for a
// missing, unknown or malformed option, or counts that contradict the file type asked for.
Opcoes_Geracao Ler_Opcoes_Geracao(const std::vector<std::string> &args);

// The name given to a file written into a folder: at most 12 characters, as the upload's name
// field holds.
std::string Nome_Padrao(const Opcoes_Geracao &o);
