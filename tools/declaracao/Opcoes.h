#pragma once
// Command-line options of zelta-declaracao.
#include "tools/declaracao/Gerador.h"

#include <QStringList>

#include <string>
#include <vector>

class QCommandLineParser;

namespace declaracao {

// Gives `p` the options of "gerar" and -h/--help.
void Preparar_Opcoes_Geracao(QCommandLineParser &p);

// Parses `args` (the command's name first) with `p`. Throws Falha_Ferramenta for an unknown
// option or a missing value.
void Analisar(QCommandLineParser &p, const QStringList &args);

// Reads the options of "gerar" parsed by `p`. Throws Falha_Ferramenta with a clear text for an
// unexpected argument, a missing or malformed option, or counts that contradict the file type asked for.
Opcoes_Geracao Ler_Opcoes_Geracao(const QCommandLineParser &p);

// The same from the arguments that follow "gerar" (UTF-8).
Opcoes_Geracao Ler_Opcoes_Geracao(const std::vector<std::string> &args);

// The name given to a file written into a folder: at most 12 characters, as the upload's name
// field holds.
std::string Nome_Padrao(const Opcoes_Geracao &o);

} // namespace declaracao
