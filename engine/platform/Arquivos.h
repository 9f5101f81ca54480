#pragma once
// The rules for opening the files the program reads and writes, by their names as the file
// system spells them (bytes). Declared here, implemented once per system.
#include "engine/platform/Descritor.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Opens a file for reading, accepting only a regular file. The open does not block: a name that
// became a pipe or a device since it was listed must neither hang the open nor be read for ever.
// Throws Erro_Execucao ("Não é um arquivo comum" for anything but a regular file).
sistema::Descritor Abrir_Arquivo_Comum(const std::string &caminho);
// A stdio stream of its own over the same open file, from its first byte (closing it leaves
// `aberto` open); null on failure. Packing from it sends the very file that was checked.
std::FILE *Fluxo_Do_Inicio(const sistema::Descritor &aberto);
// Whether `caminho` names a regular file (links followed).
bool Arquivo_Comum(const std::string &caminho);
// Whether something that is not a folder exists at `caminho`.
bool Existe_Sem_Ser_Pasta(const std::string &caminho);
// Names (bytes) of the visible regular files of `pasta` (links followed; names starting with a
// dot are hidden), in no particular order. Empty when the folder cannot be listed.
std::vector<std::string> Arquivos_Comuns(const std::string &pasta);

// The number of this process.
long Processo_Atual();
// Removes the folders of `pasta` named `prefixo` + the number of a process that has ended + "-"
// + anything, with the files in them, when they belong to this user: what a killed program left.
// Links are never followed (a link with such a name stays; a link in such a folder is removed
// itself). Failures are ignored: the folders are tried again next time.
void Limpar_Pastas_Abandonadas(const std::string &pasta, const std::string &prefixo);

// Makes `dados` the whole of the file `caminho`: written first to a new file of its own in the
// same folder (created without following links), flushed to the disk, then put at `caminho` in
// one step. A failure leaves nothing behind (no empty or cut file) and `caminho` as it was; a link
// at `caminho` is replaced, never written through. Throws Erro_Execucao.
void Gravar_Arquivo_Inteiro(const std::string &caminho, std::string_view dados);

// A file opened for appending (created when missing) under the system's lock of the whole file,
// held until it is closed: another program appending to it waits its turn, up to a limit.
class Anexo_Travado {
public:
    // Throws Erro_Execucao when the file cannot be opened, or not locked within `espera_ms`
    // (the description names the program holding the lock when the system tells).
    Anexo_Travado(const std::string &caminho, int espera_ms);
    std::int64_t Tamanho() const;
    // The byte at `posicao`; false when it cannot be read.
    bool Ler_Byte(std::int64_t posicao, char &c) const;
    // All of `s` in one write; a write cut short is undone (the file cut back) and throws.
    void Anexar(std::string_view s);
    // Flushes the file to the disk and closes it; throws when either fails.
    void Fechar();

private:
    sistema::Descritor fd_;
};
