#include "engine/platform/Zip.h"

#include "engine/platform/Arquivos.h"

#include <zip.h>

#include <cstdio>
#include <memory>

namespace {
// An archive not yet closed is discarded, so a failure never leaves a half-written file.
struct Descarta_Arquivo {
    void operator()(zip_t *za) const { zip_discard(za); }
};
struct Libera_Origem {
    void operator()(zip_source_t *src) const { zip_source_free(src); }
};

// The source as libzip reads it while closing: the open file when one is given, else the name.
zip_source_t *Origem(zip_t *za, const std::string &caminho, const sistema::Descritor *aberta)
{
    if (!aberta)
        return zip_source_file(za, caminho.c_str(), 0, -1);
    std::FILE *f = Fluxo_Do_Inicio(*aberta);
    if (!f)
        return nullptr;
    zip_source_t *src = zip_source_filep(za, f, 0, -1);
    if (!src)
        std::fclose(f); // not taken over
    return src;
}

std::string Nome_Sem_Pasta(const std::string &caminho)
{
    const auto barra = caminho.find_last_of('/');
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}
} // namespace

Resultado_Zip Zip::Compactar()
{
    // libzip reads the source only while closing; checking first gives a clear result and
    // keeps a stale archive from being truncated for nothing.
    if (!Origem_Aberta && !Arquivo_Comum(Arquivo_Origem))
        return Resultado_Zip::Sem_Origem;
    const std::string nome = Nome_Sem_Pasta(Arquivo_Origem);
    if (nome.empty())
        return Resultado_Zip::Sem_Origem;

    int erro = 0;
    std::unique_ptr<zip_t, Descarta_Arquivo> za(zip_open(Arquivo_Zip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro));
    if (!za)
        return Resultado_Zip::Falha_Abrir;
    std::unique_ptr<zip_source_t, Libera_Origem> src(Origem(za.get(), Arquivo_Origem, Origem_Aberta));
    if (!src)
        return Resultado_Zip::Falha_Incluir;
    const zip_int64_t i = zip_file_add(za.get(), nome.c_str(), src.get(), ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
    if (i < 0)
        return Resultado_Zip::Falha_Incluir;
    src.release(); // the archive owns the source now
    if (zip_set_file_compression(za.get(), static_cast<zip_uint64_t>(i), ZIP_CM_DEFLATE, 9) != 0)
        return Resultado_Zip::Falha_Incluir;
    if (zip_close(za.get()) != 0)
        return Resultado_Zip::Falha_Gravar;
    za.release(); // closed: nothing left to discard
    return Resultado_Zip::Gravado;
}
