#include "tools/servidor/Registro.h"

#include "tools/servidor/Protocolo.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

} // namespace

std::string Resumo(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())),
                                    QCryptographicHash::Sha256).toHex().toStdString();
}

Registro::Registro(const std::string &pasta) : pasta_(pasta)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(pasta) / "declaracoes", ec);
    if (ec)
        throw std::runtime_error("pasta de dados " + pasta + ": " + ec.message());
    const std::string banco = (std::filesystem::path(pasta) / "registro.db").string();
    if (sqlite3_open(banco.c_str(), &db_) != SQLITE_OK) {
        std::string m = db_ ? sqlite3_errmsg(db_) : "sem memória";
        sqlite3_close(db_);
        throw std::runtime_error("registro " + banco + ": " + m);
    }
    sqlite3_busy_timeout(db_, 5000);
    Executar("CREATE TABLE IF NOT EXISTS entregas ("
             " resumo TEXT PRIMARY KEY, codigo INTEGER NOT NULL UNIQUE, data_hora TEXT NOT NULL,"
             " tipo TEXT NOT NULL, nome TEXT NOT NULL, arquivo TEXT NOT NULL)");
    Executar("CREATE TABLE IF NOT EXISTS contador (id INTEGER PRIMARY KEY CHECK (id = 1), ultimo INTEGER NOT NULL)");
    Executar("INSERT OR IGNORE INTO contador VALUES (1, 0)");
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

std::optional<Entrega> Registro::Procurar(const std::string &declaracao)
{
    const std::string resumo = Resumo(declaracao);
    std::lock_guard trava(mutex_);
    return Procurar_Resumo(resumo);
}

Entrega Registro::Registrar(const std::string &declaracao, const std::string &nome, char tipo, std::time_t quando)
{
    const std::string resumo = Resumo(declaracao);
    std::lock_guard trava(mutex_);
    if (auto antes = Procurar_Resumo(resumo))
        return *antes;
    Executar("BEGIN IMMEDIATE");
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
        {
            std::ofstream f(caminho, std::ios::binary | std::ios::trunc);
            f.write(declaracao.data(), std::streamsize(declaracao.size()));
            f.close();
            if (!f)
                throw std::runtime_error("não foi possível gravar " + caminho);
        }
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
        Executar("COMMIT");
        return {codigo, data_hora, false};
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace servidor
