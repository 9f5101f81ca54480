#pragma once
// Test helpers for the reception server: archives made with libzip, a server run on a thread,
// and a small client that speaks the block protocol on loopback.
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Servidor.h"

#include <map>
#include <optional>
#include <string>
#include <thread>

// A zip archive (in memory) holding the given files, stored or deflated.
std::string Zip_Com(const std::map<std::string, std::string> &arquivos, bool comprimir = false);

// The one file that the zip archive `arquivo_zip` unpacks to, through the server's unpacking
// in a temporary folder; empty with `erro` set when it refuses the archive.
std::optional<std::string> Desempacotar_Bytes(const std::string &arquivo_zip, std::string &erro,
                                              size_t limite = 64u << 20);

// A declaration file of the given competência (MMYYYY) padded with `linhas` lines; `marca`
// makes its bytes unique.
std::string Declaracao_Teste(const std::string &mmaaaa, int linhas, const std::string &marca);

// A server listening on an ephemeral loopback port, served on its own thread.
class Servidor_Teste {
public:
    explicit Servidor_Teste(servidor::Opcoes o);
    ~Servidor_Teste();
    uint16_t porta = 0;

private:
    servidor::Servidor servidor_;
    std::thread linha_;
};

servidor::Opcoes Opcoes_Teste(const std::string &pasta);

class Cliente_Teste {
public:
    explicit Cliente_Teste(uint16_t porta);
    ~Cliente_Teste();
    // False when the server no longer takes bytes.
    bool Enviar(const std::string &bytes);
    // What arrives within `ms` for the first byte, then until `n` bytes or a quiet `quieto_ms`.
    std::string Ler(size_t n = 23, int ms = 5000, int quieto_ms = 200);
    // Waits up to `ms` for the server to end the connection: 0 for a close, the errno of a
    // reset, -1 when it is still open.
    int Fim(int ms = 3000);
    int fd = -1;
};

// Sends the whole archive in blocks and returns the reply to the last block; an intermediate
// reply other than "OK" is returned at once, prefixed with "bloco N: ".
std::string Entregar(uint16_t porta, const std::string &arquivo, const std::string &nome = "ABC.MMM",
                     char tipo = '1');
std::string Bloco(const std::string &arquivo, const std::string &nome, char tipo, int i, int total);
int Total_Blocos(const std::string &arquivo);
