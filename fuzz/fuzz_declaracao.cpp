// Any bytes as a declaration file: the type check and the whole check pass, and the line reader
// under them compared with a plain splitter over the same bytes.
//
// A first byte 0xFF or 0xFE moves the rest of the input up to the reader's 1 MiB block edge
// (the next two bytes say how far before it the input starts), behind lines of 4000 bytes
// (0xFF) or one long line without end (0xFE), so the cases where a line crosses blocks are reached.
#include "fuzz/Apoio_Fuzz.h"
#include "engine/platform/Leitor_Linhas.h"
#include "engine/intake/Verificacao.h"
#include "engine/platform/Erro_Execucao.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Linha_Esperada {
    std::string texto; // whole line, without its end
    bool ultima;
};

// A line ends at CR LF or a lone CR; a lone LF stays in the line; no line starts after the
// file's last line end.
std::vector<Linha_Esperada> Separar(const std::string &b)
{
    std::vector<Linha_Esperada> linhas;
    size_t pos = 0;
    while (pos < b.size()) {
        size_t cr = b.find('\r', pos);
        size_t fim = cr == std::string::npos ? b.size() : cr;
        std::string texto = b.substr(pos, fim - pos);
        pos = fim;
        if (cr != std::string::npos) {
            ++pos;
            if (pos < b.size() && b[pos] == '\n')
                ++pos;
        }
        linhas.push_back({std::move(texto), pos == b.size()});
    }
    return linhas;
}

std::string Montar_Arquivo(const uint8_t *dados, size_t tamanho)
{
    const std::string bruto(reinterpret_cast<const char *>(dados), tamanho);
    if (tamanho < 3 || (dados[0] != 0xFF && dados[0] != 0xFE))
        return bruto;
    const size_t antes = (dados[1] | size_t(dados[2]) << 8) % 4096;
    std::string arquivo(Leitor_Linhas::Tamanho_Bloco - antes, 'F');
    if (dados[0] == 0xFF)
        for (size_t i = 3999; i < arquivo.size(); i += 4000)
            arquivo[i] = '\r';
    arquivo.append(bruto, 3);
    return arquivo;
}

void Conferir_Leitor(const std::string &caminho, const std::vector<Linha_Esperada> &esperadas)
{
    Leitor_Linhas leitor(caminho);
    Linha_Lida lida;
    for (const Linha_Esperada &e : esperadas) {
        EXIGIR(leitor.Proxima(lida));
        EXIGIR(lida.tamanho == e.texto.size());
        EXIGIR(lida.ultima == e.ultima);
        EXIGIR(lida.texto == std::string_view(e.texto).substr(0, Leitor_Linhas::Limite_Guardado));
    }
    EXIGIR(!leitor.Proxima(lida));
}

int16_t Tipo_Esperado(const std::vector<Linha_Esperada> &linhas)
{
    bool tem_c = false, tem_x = false;
    for (size_t i = 1; i < linhas.size(); ++i) {
        const std::string &t = linhas[i].texto;
        tem_c = tem_c || (!t.empty() && t[0] == 'C');
        tem_x = tem_x || (!t.empty() && t[0] == 'X');
    }
    return tem_x && !tem_c ? 2 : 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    static Arquivo_Memoria arquivo;
    const std::string bytes = Montar_Arquivo(dados, tamanho);
    const std::string &caminho = arquivo.Gravar(bytes);

    const std::vector<Linha_Esperada> linhas = Separar(bytes);
    Conferir_Leitor(caminho, linhas);

    Dados_Declaracao d;
    try {
        const Resultado_Verificacao r = Verificar_Declaracao(caminho, d);
        EXIGIR(!bytes.empty());
        EXIGIR(d.Tipo_Arquivo == Tipo_Esperado(linhas));
        EXIGIR(d.Mes_Competencia.size() <= 2 && d.Ano_Competencia.size() <= 4);
        EXIGIR(d.Identificador.size() <= 14 && d.Razao_Social.size() <= 35);
        EXIGIR(d.Endereco.size() <= 40 && d.CEP.size() <= 8 && d.UF.size() <= 2);
        if (r == Resultado_Verificacao::Aceito) {
            EXIGIR(d.Marca_Validacao >= 1 && d.Marca_Validacao <= 99999);
            EXIGIR(d.Total_1 >= 0 && d.Total_2 >= 0 && d.Total_3 >= 0 && d.Total_4 >= 0 && d.Total_5 >= 0);
            EXIGIR(d.Total_5 <= d.Total_2 || d.Tipo_Arquivo == 2);
        }
    } catch (const Erro_Execucao &) {
        // Unreadable, empty, a line over 32767 bytes or an overflow: a run-time failure by design.
    }
    return 0;
}
