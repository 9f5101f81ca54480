#pragma once
// The zip component: packs one file into an ordinary deflate zip archive, stored under its
// own name (no folders).
#include "engine/platform/Descritor.h"

#include <string>

enum class Resultado_Zip {
    Gravado,       // the archive was written
    Sem_Origem,    // the source is missing or not a regular file
    Falha_Abrir,   // the archive cannot be created
    Falha_Incluir, // the source cannot be added
    Falha_Gravar,  // writing the archive failed
};

class Zip {
public:
    virtual ~Zip() = default;
    std::string Arquivo_Zip;    // the archive to write
    std::string Arquivo_Origem; // the file to put into it, and the entry's name
    // When set, the source is read from this open file (from its start) instead of by name.
    const sistema::Descritor *Origem_Aberta = nullptr;
    virtual Resultado_Zip Compactar();
};
