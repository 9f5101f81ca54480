#pragma once
// The zip component: packs one file into an ordinary deflate zip archive, stored under its
// own name (no folders).
#include <string>

class Zip {
public:
    virtual ~Zip() = default;
    std::string Arquivo_Zip;    // the archive to write
    std::string Arquivo_Origem; // the file to put into it
    // Packs synchronously; 0 when the archive was written, another code otherwise.
    virtual int Compactar();
};
