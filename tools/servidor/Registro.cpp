#include "tools/servidor/Registro.h"

#include "tools/servidor/Log.h"
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Temporario.h"

#include <sqlite3.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

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

// The bytes of the regular files under `pasta` (links not followed).
uint64_t Medir(const std::string &pasta)
{
    uint64_t total = 0;
    std::error_code ec;
    for (const auto &e : std::filesystem::recursive_directory_iterator(pasta, ec))
        if (std::filesystem::is_regular_file(e.symlink_status(ec)))
            total += e.file_size(ec);
    return total;
}

// `pasta` with its subfolders, made when missing.
const std::string &Criar_Pasta(const std::string &pasta)
{
    std::error_code ec;
    for (const char *sub : {"declaracoes", "tmp"}) {
        std::filesystem::create_directories(std::filesystem::path(pasta) / sub, ec);
        if (ec)
            throw std::runtime_error("pasta de dados " + pasta + ": " + ec.message());
    }
    return pasta;
}

// The part of the quota kept for uploads in progress.
uint64_t Parte_Envios(uint64_t cota, uint64_t cota_envios)
{
    const uint64_t parte = cota_envios ? cota_envios : cota / 4;
    if (parte >= cota)
        throw std::runtime_error("a cota dos envios em curso deve ser menor que a da pasta de dados");
    return parte;
}

struct Fecha_Pasta {
    void operator()(DIR *d) const { ::closedir(d); }
};

// Calls `tratar` with the folder's descriptor for each regular file of `pasta` whose name
// starts with Prefixo_Proprio. A link, in place of the folder or of a file, is left alone.
void Varrer_Proprios(const std::string &pasta, const std::function<void(int, const std::string &)> &tratar)
{
    const int fd = ::open(pasta.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    std::unique_ptr<DIR, Fecha_Pasta> d(fd >= 0 ? ::fdopendir(fd) : nullptr);
    if (!d) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        Registrar_Log(pasta + " não foi varrida: " + (err == ELOOP || err == ENOTDIR ? "é um link ou não é uma pasta" : std::strerror(err)));
        return;
    }
    std::vector<std::string> nomes;
    while (const dirent *e = ::readdir(d.get()))
        if (std::string_view(e->d_name).starts_with(Prefixo_Proprio))
            nomes.emplace_back(e->d_name);
    for (const auto &nome : nomes) {
        struct stat st;
        if (::fstatat(::dirfd(d.get()), nome.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            tratar(::dirfd(d.get()), nome);
    }
}

void Remover(int pasta, const std::string &nome, const std::string &motivo)
{
    if (::unlinkat(pasta, nome.c_str(), 0) == 0)
        Registrar_Log(motivo + " removido: " + nome);
    else
        Registrar_Log(motivo + " não removido: " + nome + ": " + std::strerror(errno));
}

} // namespace

Registro::Registro(const std::string &pasta, uint64_t cota, uint64_t cota_envios)
    : pasta_(Criar_Pasta(pasta)), trava_(pasta), cota_(cota - Parte_Envios(cota, cota_envios)),
      envios_(Parte_Envios(cota, cota_envios),
              std::min<uint64_t>(Parte_Envios(cota, cota_envios), uint64_t(Maximo_Blocos) * Tamanho_Bloco))
{
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
    Varrer_Proprios(Pasta_Temporaria(), [](int pasta, const std::string &nome) {
        Remover(pasta, nome, "temporário deixado por uma parada");
    });
    Varrer_Proprios((std::filesystem::path(pasta_) / "declaracoes").string(),
                    [this](int pasta, const std::string &nome) { Varrer_Declaracao(pasta, nome); });
}

// A declaration put in place under its provisional name: its record was committed (it takes
// its final name) or not (it goes).
void Registro::Varrer_Declaracao(int pasta, const std::string &nome)
{
    const std::string final = nome.substr(std::strlen(Prefixo_Proprio));
    if (final.size() >= 10 && final[8] == '-' && final.find_first_not_of("0123456789") == 8) {
        const long codigo = std::stol(final.substr(0, 8));
        Comando busca(db_, "SELECT nome FROM entregas WHERE codigo = ?");
        sqlite3_bind_int64(busca.st, 1, codigo);
        if (sqlite3_step(busca.st) == SQLITE_ROW &&
            std::filesystem::path(
                Caminho_Declaracao(codigo, reinterpret_cast<const char *>(sqlite3_column_text(busca.st, 0))))
                    .filename() == final) {
            if (::renameat(pasta, nome.c_str(), pasta, final.c_str()) == 0)
                Registrar_Log("declaração registrada posta no seu lugar: " + final);
            else
                Registrar_Log("declaração registrada não foi posta no seu lugar: " + nome + ": " + std::strerror(errno));
            return;
        }
    }
    Remover(pasta, nome, "arquivo sem registro");
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
    std::string guardado; // the file's provisional name once it is there
    long codigo;
    std::string caminho, provisorio, data_hora;
    try {
        {
            Comando c(db_, "UPDATE contador SET ultimo = ultimo + 1 WHERE id = 1 RETURNING ultimo");
            if (sqlite3_step(c.st) != SQLITE_ROW)
                throw std::runtime_error(std::string("registro: ") + sqlite3_errmsg(db_));
            codigo = sqlite3_column_int64(c.st, 0);
        }
        if (codigo > Maior_Codigo)
            throw std::runtime_error("registro: os códigos de oito dígitos se esgotaram");
        caminho = Caminho_Declaracao(codigo, nome);
        data_hora = Data_Hora_Recepcao(quando);
        Comando ins(db_, "INSERT INTO entregas VALUES (?, ?, ?, ?, ?, ?)");
        sqlite3_bind_text(ins.st, 1, resumo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(ins.st, 2, codigo);
        sqlite3_bind_text(ins.st, 3, data_hora.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.st, 4, std::string(1, tipo).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.st, 5, nome.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.st, 6, caminho.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(ins.st) != SQLITE_DONE)
            throw std::runtime_error(std::string("registro: ") + sqlite3_errmsg(db_));
        // In place, under a name of our own, before the commit: a stop in between leaves a
        // file without a record, which the next start removes, never a record without its file.
        provisorio = (std::filesystem::path(caminho).parent_path() /
                      (Prefixo_Proprio + std::filesystem::path(caminho).filename().string()))
                         .string();
        declaracao.Guardar(provisorio);
        guardado = provisorio;
        Executar("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!guardado.empty()) {
            ::unlink(guardado.c_str());
            cota_.Liberar(declaracao.Tamanho());
        }
        throw;
    }
    // Committed: a stop before this rename leaves the provisional name, which the next start
    // completes.
    if (::rename(guardado.c_str(), caminho.c_str()) == 0)
        Sincronizar_Pasta(std::filesystem::path(caminho).parent_path().string());
    else
        Registrar_Log("declaração " + std::to_string(codigo) + " ficou com o nome provisório: " + std::strerror(errno));
    return {codigo, data_hora, false};
}

} // namespace servidor
