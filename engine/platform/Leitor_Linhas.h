#pragma once
// Reads a declaration file line by line, streaming, as bytes. A line ends at CR LF or at a lone
// CR; a lone LF stays inside the line. A line end right before the end of the file does not
// start another line, so two line ends there leave an empty last line.
#include "engine/platform/Descritor.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

struct Linha_Lida {
    // The line's first bytes: all of it, or Leitor_Linhas::Limite_Guardado bytes of a longer one.
    std::string_view texto;
    std::size_t tamanho = 0; // the whole line's length, line end excluded
    bool ultima = false;     // no bytes follow this line's end
};

class Leitor_Linhas {
public:
    static constexpr std::size_t Limite_Guardado = 32768;
    static constexpr std::size_t Tamanho_Bloco = 1 << 20;

    // Throws Erro_Execucao when the file cannot be opened or is not a regular file. Bytes beyond
    // the first `limite` are not read: the file ends there for this reader.
    explicit Leitor_Linhas(const std::string &caminho,
                           std::uint64_t limite = std::numeric_limits<std::uint64_t>::max());
    // Reads a file the caller opened and keeps open, from its current position.
    explicit Leitor_Linhas(const sistema::Descritor &aberto,
                           std::uint64_t limite = std::numeric_limits<std::uint64_t>::max());
    ~Leitor_Linhas();
    Leitor_Linhas(const Leitor_Linhas &) = delete;
    Leitor_Linhas &operator=(const Leitor_Linhas &) = delete;

    // The next line; false when no bytes remain. `linha.texto` stays valid until the next call.
    // Throws Erro_Execucao when reading fails.
    bool Proxima(Linha_Lida &linha);
    // Whether the reading stopped at the limit with bytes left in the file.
    bool Cortado() const { return cortado_; }

private:
    bool Fim();
    bool Encher();
    void Guardar_Visao();
    void Juntar(const char *inicio, std::size_t n);

    sistema::Descritor proprio_; // when the reader opened the file itself
    int fd_;
    std::unique_ptr<char[]> bloco_;
    std::size_t pos_ = 0, fim_ = 0;
    bool acabou_ = false;
    std::uint64_t restante_;
    bool cortado_ = false;
    // The line in progress: a view into the block while it lies there whole, else copied out.
    const char *visao_ = nullptr;
    std::size_t tamanho_visao_ = 0;
    bool copiada_ = false;
    std::string guardada_;
};
