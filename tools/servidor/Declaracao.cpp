#include "tools/servidor/Declaracao.h"

#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Temporario.h"

#include <QCryptographicHash>

#include <sys/stat.h>
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

namespace {

constexpr size_t Tamanho_Inicio = 256;

// A folder or a link by its name or by the attributes of the system that packed it.
bool Entrada_Regular(zip_t *z, const zip_stat_t &st)
{
    const std::string nome = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
    if (!nome.empty() && (nome.back() == '/' || nome.back() == '\\'))
        return false;
    zip_uint8_t sistema = 0;
    zip_uint32_t atributos = 0;
    if (zip_file_get_external_attributes(z, 0, 0, &sistema, &atributos) < 0)
        return true;
    if (sistema == ZIP_OPSYS_UNIX) {
        const auto tipo = (atributos >> 16) & S_IFMT;
        return tipo == 0 || tipo == S_IFREG;
    }
    return sistema != ZIP_OPSYS_DOS || !(atributos & 0x10); // the MS-DOS folder attribute
}

} // namespace

std::optional<Declaracao_Desempacotada> Desempacotar(const Arquivo_Temporario &arquivo_zip,
                                                     Arquivo_Temporario &destino, std::string &erro,
                                                     size_t limite)
{
    // libzip holds the whole central directory; only one entry is wanted, so count first.
    if (Entradas_Zip(arquivo_zip.Cauda(Maior_Registro_Final), arquivo_zip.Tamanho()) != 1) {
        erro = "o arquivo compactado não contém exatamente um arquivo";
        return std::nullopt;
    }
    int codigo = 0;
    std::unique_ptr<zip_t, Fecha_Zip> z(zip_open(arquivo_zip.Caminho().c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &codigo));
    if (!z) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, codigo);
        erro = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return std::nullopt;
    }
    zip_stat_t st;
    if (zip_get_num_entries(z.get(), 0) != 1 || zip_stat_index(z.get(), 0, 0, &st) < 0) {
        erro = "o arquivo compactado não contém exatamente um arquivo";
        return std::nullopt;
    }
    if (!Entrada_Regular(z.get(), st)) {
        erro = "o arquivo compactado contém uma pasta ou um atalho, não um arquivo";
        return std::nullopt;
    }
    std::unique_ptr<zip_file_t, Fecha_Arquivo> f(zip_fopen_index(z.get(), 0, 0));
    if (!f) {
        erro = zip_strerror(z.get());
        return std::nullopt;
    }
    QCryptographicHash resumo(QCryptographicHash::Sha256);
    Declaracao_Desempacotada d;
    char b[16384];
    uint64_t tamanho = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(f.get(), b, sizeof b);
        if (n < 0) { // bad data or a wrong checksum
            erro = zip_file_strerror(f.get());
            return std::nullopt;
        }
        if (n == 0)
            break;
        tamanho += uint64_t(n);
        if (tamanho > limite) {
            erro = "o arquivo descompactado passa do limite";
            return std::nullopt;
        }
        const std::string_view parte(b, size_t(n));
        // Without room the bytes are still read to the end: their digest tells a repeated
        // delivery, which needs no room.
        if (d.gravada && !destino.Acrescentar(parte)) {
            d.gravada = false;
            erro = "sem espaço: a pasta de dados chegou à cota, ou a gravação falhou";
        }
        resumo.addData(QByteArrayView(b, qsizetype(n)));
        if (d.inicio.size() < Tamanho_Inicio)
            d.inicio.append(parte.substr(0, Tamanho_Inicio - d.inicio.size()));
    }
    if (tamanho == 0) {
        erro = "o arquivo compactado contém um arquivo vazio";
        return std::nullopt;
    }
    d.resumo = resumo.result().toHex().toStdString();
    return d;
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
