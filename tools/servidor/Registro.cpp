#include "tools/servidor/Registro.h"

#include "tools/servidor/Log.h"
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Temporario.h"

#include <sqlite3.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace servidor {

namespace {

constexpr long Maior_Codigo = 99999999; // eight digits in the reply

// A prepared statement that finalizes itself.
struct Comando {
    sqlite3_stmt *st = nullptr;
    Comando(sqlite3 *db, const char *sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("registro: ") + sqlite3_errmsg(db));
    }
    ~Comando() { sqlite3_finalize(st); }
};

// Only plain characters of the client's file name reach the file system.
std::string Nome_Seguro(const std::string &nome)
{
    std::string s;
    for (unsigned char c : nome)
        s += (std::isalnum(c) && c < 128) || c == '.' || c == '-' || c == '_' ? char(c) : '_';
    return s;
}

// The bytes of the regular files under `pasta`.
uint64_t Medir(const std::string &pasta)
{
    uint64_t total = 0;
    std::error_code ec;
    for (const auto &e : std::filesystem::recursive_directory_iterator(pasta, ec))
        if (e.is_regular_file(ec))
            total += e.file_size(ec);
    return total;
}

} // namespace

Registro::Registro(const std::string &pasta, uint64_t cota) : pasta_(pasta), cota_(cota)
{
    std::error_code ec;
    for (const char *sub : {"declaracoes", "tmp"}) {
        std::filesystem::create_directories(std::filesystem::path(pasta) / sub, ec);
        if (ec)
            throw std::runtime_error("pasta de dados " + pasta + ": " + ec.message());
    }
    const std::string banco = (std::filesystem::path(pasta) / "registro.db").string();
    if (sqlite3_open(banco.c_str(), &db_) != SQLITE_OK) {
        std::string m = db_ ? sqlite3_errmsg(db_) : "sem memória";
        sqlite3_close(db_);
        throw std::runtime_error("registro " + banco + ": " + m);
    }
    sqlite3_busy_timeout(db_, 5000);
    try {
        Executar("CREATE TABLE IF NOT EXISTS entregas ("
                 " resumo TEXT PRIMARY KEY, codigo INTEGER NOT NULL UNIQUE, data_hora TEXT NOT NULL,"
                 " tipo TEXT NOT NULL, nome TEXT NOT NULL, arquivo TEXT NOT NULL)");
        Executar("CREATE TABLE IF NOT EXISTS contador (id INTEGER PRIMARY KEY CHECK (id = 1), ultimo INTEGER NOT NULL)");
        Executar("INSERT OR IGNORE INTO contador VALUES (1, 0)");
        Varrer();
    } catch (...) {
        sqlite3_close(db_); // no destructor runs for a constructor that throws
        throw;
    }
    cota_.Contar(Medir(pasta));
    if (cota_.Usado() > cota_.Limite())
        Registrar_Log("a pasta de dados " + pasta + " já passa da cota: entregas novas serão recusadas");
}

void Registro::Varrer()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto &e : fs::directory_iterator(Pasta_Temporaria(), ec))
        fs::remove_all(e.path(), ec);
    for (const auto &e : fs::directory_iterator(fs::path(pasta_) / "declaracoes", ec)) {
        const std::string nome = e.path().filename().string();
        if (nome.size() < 10 || nome[8] != '-' || nome.find_first_not_of("0123456789") != 8)
            continue; // not a name this server gives
        const long codigo = std::stol(nome.substr(0, 8));
        Comando busca(db_, "SELECT nome FROM entregas WHERE codigo = ?");
        sqlite3_bind_int64(busca.st, 1, codigo);
        if (sqlite3_step(busca.st) == SQLITE_ROW &&
            fs::path(Caminho_Declaracao(codigo, reinterpret_cast<const char *>(sqlite3_column_text(busca.st, 0))))
                    .filename() == e.path().filename())
            continue;
        Registrar_Log("arquivo sem registro removido da pasta de dados: " + nome);
        fs::remove(e.path(), ec);
    }
}

Registro::~Registro()
{
    sqlite3_close(db_);
}

void Registro::Executar(const char *sql)
{
    char *msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        throw std::runtime_error("registro: " + m);
    }
}

std::string Registro::Caminho_Declaracao(long codigo, const std::string &nome) const
{
    char prefixo[16];
    std::snprintf(prefixo, sizeof prefixo, "%08ld-", codigo);
    return (std::filesystem::path(pasta_) / "declaracoes" / (prefixo + Nome_Seguro(nome))).string();
}

std::optional<Entrega> Registro::Procurar_Resumo(const std::string &resumo)
{
    Comando busca(db_, "SELECT codigo, data_hora FROM entregas WHERE resumo = ?");
    sqlite3_bind_text(busca.st, 1, resumo.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(busca.st) != SQLITE_ROW)
        return std::nullopt;
    return Entrega{sqlite3_column_int64(busca.st, 0),
                   reinterpret_cast<const char *>(sqlite3_column_text(busca.st, 1)), true};
}

std::string Registro::Pasta_Temporaria() const
{
    return (std::filesystem::path(pasta_) / "tmp").string();
}

std::optional<Entrega> Registro::Procurar(const std::string &resumo)
{
    std::lock_guard trava(mutex_);
    return Procurar_Resumo(resumo);
}

Entrega Registro::Registrar(Arquivo_Temporario &declaracao, const std::string &resumo, const std::string &nome,
                            char tipo, std::time_t quando)
{
    std::lock_guard trava(mutex_);
    if (auto antes = Procurar_Resumo(resumo))
        return *antes;
    Executar("BEGIN IMMEDIATE");
    std::string guardado; // the file's final name once it is there
    try {
        long codigo;
        {
            Comando c(db_, "UPDATE contador SET ultimo = ultimo + 1 WHERE id = 1 RETURNING ultimo");
            if (sqlite3_step(c.st) != SQLITE_ROW)
                throw std::runtime_error(std::string("registro: ") + sqlite3_errmsg(db_));
            codigo = sqlite3_column_int64(c.st, 0);
        }
        if (codigo > Maior_Codigo)
            throw std::runtime_error("registro: os códigos de oito dígitos se esgotaram");
        const std::string caminho = Caminho_Declaracao(codigo, nome);
        const std::string data_hora = Data_Hora_Recepcao(quando);
        Comando ins(db_, "INSERT INTO entregas VALUES (?, ?, ?, ?, ?, ?)");
        sqlite3_bind_text(ins.st, 1, resumo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(ins.st, 2, codigo);
        sqlite3_bind_text(ins.st, 3, data_hora.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.st, 4, std::string(1, tipo).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.st, 5, nome.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.st, 6, caminho.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(ins.st) != SQLITE_DONE)
            throw std::runtime_error(std::string("registro: ") + sqlite3_errmsg(db_));
        // In place before the commit: a stop in between leaves a file without a record, which
        // the next start removes, never a record without its file.
        declaracao.Guardar(caminho);
        guardado = caminho;
        Executar("COMMIT");
        return {codigo, data_hora, false};
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!guardado.empty()) {
            ::unlink(guardado.c_str());
            cota_.Liberar(declaracao.Tamanho());
        }
        throw;
    }
}

} // namespace servidor
