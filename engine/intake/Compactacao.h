#pragma once
// Packs the declaration file into the archive that the upload sends.
#include <string>

class Zip;

// True when the zip component reports that the archive was written (result code 0).
bool Compacta_Arquivo(Zip &zip, const std::string &Caminho_Arquivo, const std::string &Caminho_Zip);
