// Any bytes as the history file: reading it for display, the duplicate test, and for every
// entry read the field cutters, the display rules, the printed page and the reprint cells.
// The reading is compared with a plain split of the same bytes; the search finds an entry by its code.
#include "fuzz/Apoio_Fuzz.h"
#include "engine/history/Historico.h"
#include "gui/history/frmReimpressao.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/receipt/Pagina_Recibo.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QDateTime>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using Pagina_Recibo::Item;
using Pagina_Recibo::Linha;

namespace {

// Lines end at CR LF or a lone CR (a lone LF stays in its line); a line end at the very end
// starts no further line. Of each line only its first Guardado_Por_Linha bytes are kept.
std::vector<std::string> Separar(const std::string &b)
{
    std::vector<std::string> linhas;
    size_t pos = 0;
    while (pos < b.size()) {
        const size_t cr = b.find('\r', pos);
        const size_t fim = cr == std::string::npos ? b.size() : cr;
        linhas.push_back(b.substr(pos, std::min(fim - pos, Guardado_Por_Linha)));
        pos = fim + 1;
        if (cr != std::string::npos && pos < b.size() && b[pos] == '\n')
            ++pos;
    }
    return linhas;
}

void Conferir_Entrada(const std::string &r, const QDateTime &agora)
{
    using namespace Recibo;
    const std::string campos[] = {Data_Transmissao(r), Tipo_Arquivo(r), Nome_Arquivo(r),
                                  Codigo_Recebimento(r), Tipo_Identificador(r), Identificador(r),
                                  Razao_Social(r), Endereco(r), CEP(r), UF(r), Mes_Competencia(r),
                                  Ano_Competencia(r), Total(r, 1), Total(r, 5), Hora_Transmissao(r),
                                  Codigo_Recebido(r)};
    size_t soma = 0;
    for (const std::string &c : campos)
        soma += c.size();
    EXIGIR(soma <= r.size());
    EXIGIR(Total(r, 0).empty() && Total(r, 6).empty());

    EXIGIR(Data_Para_Exibir(r).size() == 10);
    static_cast<void>(Hora_Para_Exibir(r));
    static_cast<void>(Texto_Mes(r));
    static_cast<void>(CEP_Para_Exibir(r));

    const QStringList celulas = Celulas_Reimpressao(r);
    EXIGIR(celulas.size() == 6);

    const std::vector<Linha> pagina = Montar_Pagina(r, agora);
    EXIGIR(!pagina.empty());
    for (const Linha &l : pagina)
        for (const Item &i : l)
            EXIGIR(i.n >= 0);
    EXIGIR(Texto_Pagina(pagina).size() >= pagina.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    static Arquivo_Memoria arquivo;
    static const QDateTime agora(QDate(2024, 3, 15), QTime(9, 5, 7));
    const std::string bytes(reinterpret_cast<const char *>(dados), tamanho);
    const std::string &caminho = arquivo.Gravar(bytes);

    const std::vector<std::string> linhas = Separar(bytes);
    const Leitura_Historico h = Ler_Historico(caminho);
    EXIGIR(h.total == static_cast<long long>(linhas.size()));
    const size_t guardadas = std::min<size_t>(linhas.size(), Max_Entradas_Reimpressao);
    EXIGIR(h.entradas.size() == guardadas);
    for (size_t k = 0; k < guardadas; ++k) {
        const std::string &plano = h.entradas[k];
        EXIGIR(Codificar_Linha(plano) == linhas[linhas.size() - guardadas + k]);
        // The newest few are enough to reach every branch; all 200 would slow each run tenfold.
        if (k + 8 >= guardadas)
            Conferir_Entrada(plano, agora);
    }

    // The duplicate test finds the code of an entry that is there, and of none when absent.
    const std::string primeiro = linhas.empty() ? std::string() : Decodificar_Linha(linhas.front());
    const std::string codigo = Recibo::Codigo_Recebimento(primeiro);
    if (codigo.size() == 8) {
        EXIGIR(Entrada_Presente(codigo, caminho));
        // The search finds an entry by its own code, however odd its bytes.
        EXIGIR(Procurar_Historico(codigo, caminho).encontradas >= 1);
    }
    static_cast<void>(Entrada_Presente("00000000", caminho));
    return 0;
}
