#pragma once
// A file in the data folder's temporary area: an upload being received or a declaration
// being unpacked. Its bytes are counted in the folder's quota while it exists; it disappears
// with its owner unless it was kept under its final name.
#include "tools/servidor/Cota.h"
#include "engine/platform/Descritor.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace servidor {

using sistema::Descritor;

// The start of every name the server makes in its data folder's "tmp" and, for a declaration
// not yet committed, "declaracoes": the start-up sweep touches no other name.
constexpr const char *Prefixo_Proprio = "zelta-servidor-";

// Makes the names of `pasta`'s entries survive a power cut.
void Sincronizar_Pasta(const std::string &pasta);

class Arquivo_Temporario {
public:
    // A new empty file in `pasta`, named with Prefixo_Proprio. Throws std::runtime_error when it cannot be made.
    Arquivo_Temporario(const std::string &pasta, Cota &cota);
    ~Arquivo_Temporario();
    Arquivo_Temporario(const Arquivo_Temporario &) = delete;
    Arquivo_Temporario &operator=(const Arquivo_Temporario &) = delete;

    // False, writing nothing, when the quota has no room for the bytes or the write fails.
    bool Acrescentar(std::string_view bytes);
    // The last `n` bytes (fewer when the file is shorter).
    std::string Cauda(size_t n) const;
    uint64_t Tamanho() const { return tamanho_; }
    const std::string &Caminho() const { return caminho_; }
    int Fd() const { return fd_.Fd(); }
    // Puts the file on disk under `destino` (same file system); it then stays, counted in the
    // quota. Throws std::runtime_error when it cannot.
    void Guardar(const std::string &destino);

private:
    std::string caminho_;
    Descritor fd_;
    Cota &cota_;
    uint64_t tamanho_ = 0;
    bool guardado_ = false;
};

} // namespace servidor
