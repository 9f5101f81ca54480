#pragma once
// The server's record of deliveries, kept in its data folder: each received declaration file
// and an SQLite table from the SHA-256 of its bytes to the receipt code and reception time,
// so that a second delivery of the same bytes is recognised after a restart too.
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;

namespace servidor {

struct Entrega {
    long codigo = 0;
    std::string data_hora; // DDMMYYYYhhmmss of the first reception
    bool repetida = false; // these bytes had been delivered before
};

class Registro {
public:
    // Opens (creating when missing) the folder, its "declaracoes" subfolder and "registro.db".
    // Throws std::runtime_error when it cannot.
    explicit Registro(const std::string &pasta);
    ~Registro();
    Registro(const Registro &) = delete;
    Registro &operator=(const Registro &) = delete;

    // The earlier delivery of these bytes, if any.
    std::optional<Entrega> Procurar(const std::string &declaracao);

    // Records a delivery of `declaracao` received at `quando` under the next code and keeps the
    // file, or returns the earlier delivery of the same bytes. Safe to call from several
    // threads. Throws std::runtime_error when the file or the record cannot be written.
    Entrega Registrar(const std::string &declaracao, const std::string &nome, char tipo, std::time_t quando);

    // Where the file of a delivery is kept.
    std::string Caminho_Declaracao(long codigo, const std::string &nome) const;

private:
    void Executar(const char *sql);
    std::optional<Entrega> Procurar_Resumo(const std::string &resumo);
    std::string pasta_;
    sqlite3 *db_ = nullptr;
    std::mutex mutex_;
};

// Hex SHA-256 of `bytes`.
std::string Resumo(const std::string &bytes);

} // namespace servidor
