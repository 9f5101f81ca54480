#include "tools/servidor/Declaracao.h"

#include "tools/servidor/Protocolo.h"

#include <zip.h>

#include <memory>

namespace servidor {

namespace {

struct Fecha_Zip {
    void operator()(zip_t *z) const { zip_discard(z); }
};
struct Fecha_Arquivo {
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};

// YYYYMM, so that competências compare in time order.
std::string Ordem(const std::string &mmaaaa) { return mmaaaa.substr(2, 4) + mmaaaa.substr(0, 2); }

} // namespace

std::optional<std::string> Desempacotar(const std::string &arquivo_zip, std::string &erro, size_t limite)
{
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t *fonte = zip_source_buffer_create(arquivo_zip.data(), arquivo_zip.size(), 0, &ze);
    if (!fonte) {
        erro = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return std::nullopt;
    }
    std::unique_ptr<zip_t, Fecha_Zip> z(zip_open_from_source(fonte, ZIP_RDONLY | ZIP_CHECKCONS, &ze));
    if (!z) {
        erro = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        zip_source_free(fonte);
        return std::nullopt;
    }
    zip_error_fini(&ze);
    if (zip_get_num_entries(z.get(), 0) != 1) {
        erro = "o arquivo compactado não contém exatamente um arquivo";
        return std::nullopt;
    }
    std::unique_ptr<zip_file_t, Fecha_Arquivo> f(zip_fopen_index(z.get(), 0, 0));
    if (!f) {
        erro = zip_strerror(z.get());
        return std::nullopt;
    }
    std::string conteudo;
    char b[16384];
    for (;;) {
        zip_int64_t n = zip_fread(f.get(), b, sizeof b);
        if (n < 0) { // bad data or a wrong checksum
            erro = zip_file_strerror(f.get());
            return std::nullopt;
        }
        if (n == 0)
            break;
        if (conteudo.size() + size_t(n) > limite) {
            erro = "o arquivo descompactado passa do limite";
            return std::nullopt;
        }
        conteudo.append(b, size_t(n));
    }
    return conteudo;
}

bool Competencia_Valida(const std::string &m)
{
    if (m.size() != 6 || m.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int mes = std::stoi(m.substr(0, 2));
    return mes >= 1 && mes <= 12;
}

std::string Competencia_Declaracao(const std::string &d)
{
    std::string linha = d.substr(0, d.find_first_of("\r\n"));
    if (linha.size() < 15)
        return {};
    std::string c = linha.substr(9, 6);
    return Competencia_Valida(c) ? c : std::string();
}

std::string Julgar_Competencia(const Politica_Competencia &p, char tipo, const std::string &declaracao)
{
    if (p.aceita.empty())
        return {};
    std::string c = Competencia_Declaracao(declaracao);
    if (c == p.aceita)
        return {};
    const bool anterior = !c.empty() && Ordem(c) < Ordem(p.aceita);
    if (anterior && tipo == '2')
        return {};
    if (anterior && p.anterior_como_acerto)
        return Resposta_Competencia('6', p.aceita);
    return Resposta_Competencia('5', p.aceita);
}

} // namespace servidor
