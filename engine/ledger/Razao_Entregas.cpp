#include "engine/ledger/Razao_Entregas.h"

#include "engine/platform/Erro_Execucao.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <sqlite3.h>
#include <thread>

namespace {

// Version 1 of the ledger's layout.
constexpr const char *Esquema = R"(
CREATE TABLE IF NOT EXISTS tentativas(
  id INTEGER PRIMARY KEY,
  quando TEXT NOT NULL,
  arquivo BLOB NOT NULL,
  caminho BLOB NOT NULL,
  sha256 TEXT NOT NULL,
  sha256_envio TEXT NOT NULL,
  tipo_arquivo INTEGER NOT NULL,
  tipo_identificador BLOB NOT NULL,
  identificador BLOB NOT NULL,
  razao_social BLOB NOT NULL,
  mes BLOB NOT NULL,
  ano BLOB NOT NULL,
  ultimo_bloco INTEGER NOT NULL DEFAULT 0,
  resultado INTEGER,
  codigo TEXT,
  data_servidor TEXT,
  mensagem INTEGER,
  detalhe TEXT,
  fim TEXT);
CREATE INDEX IF NOT EXISTS tentativas_sha256 ON tentativas(sha256);
CREATE INDEX IF NOT EXISTS tentativas_competencia ON tentativas(ano, mes);
PRAGMA user_version = 1;
)";

constexpr const char *Colunas = "SELECT id, quando, arquivo, caminho, sha256, sha256_envio, tipo_arquivo, "
                                "tipo_identificador, identificador, "
                                "razao_social, mes, ano, ultimo_bloco, resultado, codigo, data_servidor, "
                                "mensagem, detalhe, fim FROM tentativas t ";

// An uncertain attempt stays so until a later one of the same bytes is accepted or found
// delivered before.
constexpr const char *Sem_Acerto = " AND NOT EXISTS (SELECT 1 FROM tentativas d WHERE d.sha256 = t.sha256 "
                                   "AND d.id > t.id AND d.resultado IN (1, 2))";

std::string Agora()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
}

class Comando_Sql {
public:
    Comando_Sql(sqlite3 *db, const char *sql) : db_(db)
    {
        rc_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr);
    }
    ~Comando_Sql() { sqlite3_finalize(st_); }
    Comando_Sql(const Comando_Sql &) = delete;
    Comando_Sql &operator=(const Comando_Sql &) = delete;
    bool Pronto() const { return rc_ == SQLITE_OK; }
    void Texto(int i, const std::string &s)
    {
        sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void Bytes(int i, const std::string &s)
    {
        sqlite3_bind_blob(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void Inteiro(int i, long long v) { sqlite3_bind_int64(st_, i, v); }
    int Passo() { return sqlite3_step(st_); }
    std::string Coluna(int i) const
    {
        const void *p = sqlite3_column_blob(st_, i);
        return p ? std::string(static_cast<const char *>(p),
                               static_cast<size_t>(sqlite3_column_bytes(st_, i)))
                 : std::string();
    }
    long long Numero(int i) const { return sqlite3_column_int64(st_, i); }
    bool Nulo(int i) const { return sqlite3_column_type(st_, i) == SQLITE_NULL; }

private:
    sqlite3 *db_;
    sqlite3_stmt *st_ = nullptr;
    int rc_;
};

Tentativa_Razao Ler_Linha(const Comando_Sql &c)
{
    Tentativa_Razao t;
    t.id = c.Numero(0);
    t.quando = c.Coluna(1);
    t.arquivo = c.Coluna(2);
    t.caminho = c.Coluna(3);
    t.sha256 = c.Coluna(4);
    t.sha256_envio = c.Coluna(5);
    t.declaracao.Tipo_Arquivo = static_cast<int16_t>(c.Numero(6));
    t.declaracao.Tipo_Identificador = c.Coluna(7);
    t.declaracao.Identificador = c.Coluna(8);
    t.declaracao.Razao_Social = c.Coluna(9);
    t.declaracao.Mes_Competencia = c.Coluna(10);
    t.declaracao.Ano_Competencia = c.Coluna(11);
    t.ultimo_bloco = c.Numero(12) != 0;
    const long long r = c.Numero(13);
    t.resultado =
        c.Nulo(13) || r < 1 || r > 5 ? Resultado_Razao::Sem_Resultado : static_cast<Resultado_Razao>(r);
    t.codigo = c.Coluna(14);
    t.data_servidor = c.Coluna(15);
    t.mensagem = static_cast<int>(c.Numero(16));
    t.detalhe = QString::fromStdString(c.Coluna(17));
    t.fim = c.Coluna(18);
    return t;
}
} // namespace

Resultado_Razao Estado_Efetivo(const Tentativa_Razao &t)
{
    if (t.resultado != Resultado_Razao::Sem_Resultado)
        return t.resultado;
    return t.ultimo_bloco ? Resultado_Razao::Incerta : Resultado_Razao::Falhou;
}

std::string Caminho_Razao(const std::string &historico)
{
    const QFileInfo h(QFile::decodeName(historico.c_str()));
    return QFile::encodeName(QDir::cleanPath(h.absoluteDir().filePath(QString::fromLatin1(Arquivo_Razao))))
        .toStdString();
}

Razao_Entregas::Razao_Entregas(const std::string &arquivo) : arquivo_(arquivo)
{
    if (sqlite3_open_v2(arquivo.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        // The handle holds the reason even when the open failed.
        const QString motivo = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "sem memória");
        sqlite3_close(db_);
        db_ = nullptr;
        throw Erro_Execucao(Erro::Erro_Entrada_Saida, QStringLiteral("Registro de entregas: ") + motivo);
    }
    sqlite3_busy_timeout(db_, Espera_Razao_ms);
    // Setting up a file that another program is creating at the same moment can answer "locked"
    // at once, without waiting through the busy timeout: it is tried again within that time.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(Espera_Razao_ms);
    for (;;) {
        try {
            // WAL: readers never wait for the writer, and a killed writer's transaction is rolled
            // back on the next open. FULL: an attempt is on disk before its first block goes.
            Executar("PRAGMA journal_mode = WAL");
            Executar("PRAGMA synchronous = FULL");
            Executar("BEGIN IMMEDIATE");
            Executar(Esquema);
            Executar("COMMIT");
            return;
        } catch (...) {
            const int codigo = sqlite3_errcode(db_) & 0xff;
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            if ((codigo == SQLITE_BUSY || codigo == SQLITE_LOCKED) && std::chrono::steady_clock::now() < limite) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            // A constructor that throws runs no destructor: the handle is closed here.
            sqlite3_close(db_);
            db_ = nullptr;
            throw;
        }
    }
}

Razao_Entregas::~Razao_Entregas()
{
    sqlite3_close(db_);
}

void Razao_Entregas::Falhar(const char *onde)
{
    throw Erro_Execucao(Erro::Erro_Entrada_Saida,
                        QStringLiteral("Registro de entregas (%1): %2")
                            .arg(QString::fromLatin1(onde), QString::fromUtf8(sqlite3_errmsg(db_))));
}

void Razao_Entregas::Executar(const char *sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Falhar("abrir");
}

long long Razao_Entregas::Registrar_Tentativa(const Tentativa_Razao &t)
{
    Comando_Sql c(db_,
                  "INSERT INTO tentativas(quando, arquivo, caminho, sha256, sha256_envio, tipo_arquivo, "
                  "tipo_identificador, identificador, razao_social, mes, ano) VALUES(?,?,?,?,?,?,?,?,?,?,?)");
    if (!c.Pronto())
        Falhar("tentativa");
    c.Texto(1, t.quando.empty() ? Agora() : t.quando);
    c.Bytes(2, t.arquivo);
    c.Bytes(3, t.caminho);
    c.Texto(4, t.sha256);
    c.Texto(5, t.sha256_envio);
    c.Inteiro(6, t.declaracao.Tipo_Arquivo);
    c.Bytes(7, t.declaracao.Tipo_Identificador);
    c.Bytes(8, t.declaracao.Identificador);
    c.Bytes(9, t.declaracao.Razao_Social);
    c.Bytes(10, t.declaracao.Mes_Competencia);
    c.Bytes(11, t.declaracao.Ano_Competencia);
    if (c.Passo() != SQLITE_DONE)
        Falhar("tentativa");
    return sqlite3_last_insert_rowid(db_);
}

void Razao_Entregas::Marcar_Ultimo_Bloco(long long id)
{
    Comando_Sql c(db_, "UPDATE tentativas SET ultimo_bloco = 1 WHERE id = ?");
    if (!c.Pronto())
        Falhar("último bloco");
    c.Inteiro(1, id);
    if (c.Passo() != SQLITE_DONE)
        Falhar("último bloco");
}

void Razao_Entregas::Registrar_Resultado(long long id, const Tentativa_Razao &r)
{
    Comando_Sql c(
        db_, "UPDATE tentativas SET resultado = ?, codigo = ?, data_servidor = ?, mensagem = ?, detalhe = ?, "
             "fim = ? WHERE id = ?");
    if (!c.Pronto())
        Falhar("resultado");
    c.Inteiro(1, static_cast<int>(r.resultado));
    c.Texto(2, r.codigo);
    c.Texto(3, r.data_servidor);
    c.Inteiro(4, r.mensagem);
    c.Texto(5, r.detalhe.toStdString());
    c.Texto(6, Agora());
    c.Inteiro(7, id);
    if (c.Passo() != SQLITE_DONE)
        Falhar("resultado");
}

std::vector<Tentativa_Razao> Razao_Entregas::Consultar(const char *sql,
                                                       const std::vector<std::string> &parametros)
{
    Comando_Sql c(db_, sql);
    if (!c.Pronto())
        Falhar("consulta");
    for (size_t i = 0; i < parametros.size(); ++i)
        c.Bytes(static_cast<int>(i + 1), parametros[i]);
    std::vector<Tentativa_Razao> linhas;
    int rc;
    while ((rc = c.Passo()) == SQLITE_ROW)
        linhas.push_back(Ler_Linha(c));
    if (rc != SQLITE_DONE)
        Falhar("consulta");
    return linhas;
}

std::vector<Tentativa_Razao> Razao_Entregas::Incertas()
{
    const std::string sql = std::string(Colunas)
                            + "WHERE (resultado = 5 OR (resultado IS NULL AND ultimo_bloco = 1))" + Sem_Acerto
                            + " ORDER BY id DESC LIMIT 10000";
    return Consultar(sql.c_str(), {});
}

std::vector<Tentativa_Razao> Razao_Entregas::Da_Competencia(const std::string &mes, const std::string &ano)
{
    const std::string sql = std::string(Colunas) + "WHERE mes = ? AND ano = ? ORDER BY id LIMIT 100000";
    return Consultar(sql.c_str(), {mes, ano});
}

std::vector<Tentativa_Razao> Razao_Entregas::Todas(int limite)
{
    const std::string sql = std::string(Colunas) + "ORDER BY id LIMIT " + std::to_string(limite);
    return Consultar(sql.c_str(), {});
}
