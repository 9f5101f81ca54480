#pragma once
// Packs the declaration file into the archive that the upload sends.
#include "engine/platform/Descritor.h"

#include <string>

class Zip;

// True when the zip component reports that the archive was written (result code 0). The entry
// is named after `Caminho_Arquivo`; its bytes come from `aberto` when given (the file checked).
bool Compacta_Arquivo(Zip &zip, const std::string &Caminho_Arquivo, const std::string &Caminho_Zip,
                      const sistema::Descritor *aberto = nullptr);
