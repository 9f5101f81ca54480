#pragma once
// The server's data folder and its record of deliveries: each received declaration file, an
// SQLite table from the SHA-256 of its bytes to the receipt code and reception time (so that a
// second delivery of the same bytes is recognised after a restart too), a temporary area for
// uploads and unpacking, and the quota that bounds the whole folder.
#include "tools/servidor/Cota.h"
#include "tools/servidor/Espaco_Envios.h"
#include "tools/servidor/Trava_Pasta.h"

#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;

namespace servidor {

class Arquivo_Temporario;

struct Entrega {
    long codigo = 0;
    std::string data_hora; // DDMMYYYYhhmmss of the first reception
    bool repetida = false; // these bytes had been delivered before
};

class Registro {
public:
    // Opens (creating when missing) the folder, its "declaracoes" and "tmp" subfolders and
    // "registro.db", and locks the folder against a second server. Then sweeps what a stop
    // left, touching only names it makes itself (Prefixo_Proprio) and never following a link:
    // temporary files in "tmp", and declarations put in place but not committed (removed) or
    // committed but not yet under their final name (renamed). Measures the folder for the quota.
    // Throws std::runtime_error when it cannot, or when another server holds the folder.
    // Of the quota `cota`, `cota_envios` (0: a quarter) is kept for uploads in progress, and
    // the rest for what is kept: declarations, the registry, and the unpacking of new ones.
    explicit Registro(const std::string &pasta, uint64_t cota = Cota_Padrao, uint64_t cota_envios = 0);
    ~Registro();
    Registro(const Registro &) = delete;
    Registro &operator=(const Registro &) = delete;

    // The earlier delivery of the declaration whose SHA-256 (hex) is `resumo`, if any.
    std::optional<Entrega> Procurar(const std::string &resumo);

    // Records the delivery of the unpacked `declaracao` (SHA-256 `resumo`) received at
    // `quando` under the next code, moving the file to its place before the record is
    // committed; or returns the earlier delivery of the same bytes, leaving the file alone.
    // Safe to call from several threads. Throws std::runtime_error when the file or the
    // record cannot be written.
    Entrega Registrar(Arquivo_Temporario &declaracao, const std::string &resumo, const std::string &nome,
                      char tipo, std::time_t quando);

    // Where the file of a delivery is kept.
    std::string Caminho_Declaracao(long codigo, const std::string &nome) const;
    std::string Pasta_Temporaria() const;
    servidor::Cota &Cota() { return cota_; }
    Espaco_Envios &Envios() { return envios_; }

private:
    void Executar(const char *sql);
    std::optional<Entrega> Procurar_Resumo(const std::string &resumo);
    void Varrer();
    void Varrer_Declaracao(int pasta, const std::string &nome);
    std::string pasta_;
    Trava_Pasta trava_;
    sqlite3 *db_ = nullptr;
    std::mutex mutex_;
    servidor::Cota cota_;
    Espaco_Envios envios_;
};

} // namespace servidor
