#include "platform/Zip.h"

#include <zip.h>

#include <sys/stat.h>

namespace {
// Result codes of Compactar besides 0.
constexpr int Sem_Origem = 1;      // the source is missing or not a regular file
constexpr int Falha_Abrir = 2;     // the archive cannot be created
constexpr int Falha_Incluir = 3;   // the source cannot be added
constexpr int Falha_Gravar = 4;    // writing the archive failed

std::string Nome_Sem_Pasta(const std::string &caminho)
{
    const auto barra = caminho.find_last_of('/');
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}
} // namespace

int Zip::Compactar()
{
    // libzip reads the source only while closing; checking first gives a clear code and
    // keeps a stale archive from being truncated for nothing.
    struct stat st {};
    if (::stat(Arquivo_Origem.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Sem_Origem;
    const std::string nome = Nome_Sem_Pasta(Arquivo_Origem);
    if (nome.empty())
        return Sem_Origem;

    int erro = 0;
    zip_t *za = zip_open(Arquivo_Zip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
    if (!za)
        return Falha_Abrir;
    zip_source_t *src = zip_source_file(za, Arquivo_Origem.c_str(), 0, -1);
    if (!src) {
        zip_discard(za);
        return Falha_Incluir;
    }
    const zip_int64_t i = zip_file_add(za, nome.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
    if (i < 0) {
        zip_source_free(src);
        zip_discard(za);
        return Falha_Incluir;
    }
    if (zip_set_file_compression(za, static_cast<zip_uint64_t>(i), ZIP_CM_DEFLATE, 9) != 0) {
        zip_discard(za);
        return Falha_Incluir;
    }
    if (zip_close(za) != 0) {
        zip_discard(za);
        return Falha_Gravar;
    }
    return 0;
}
