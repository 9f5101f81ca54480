#include "engine/history/Historico.h"

#include "engine/history/Busca_Historico.h"
#include "engine/platform/Arquivos.h"
#include "engine/platform/Campos_Fixos.h"
#include "engine/platform/Leitor_Linhas.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/receipt/Registro_Recibo.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>

namespace {

std::string Deslocar(const std::string &texto, int deslocamento)
{
    std::string s(texto);
    for (char &c : s)
        c = static_cast<char>(static_cast<unsigned char>(c) + deslocamento); // wraps modulo 256
    return s;
}

// Hands each line of the file (at most its first Guardado_Por_Linha bytes) to `linha` until
// `linha` returns false. Lines end at CR LF or a lone CR; a lone LF is a record character 0
// stored as a line end and stays in its line. Memory stays the same whatever the file holds.
template <typename F> void Percorrer_Linhas(const std::string &arquivo, F &&linha)
{
    Leitor_Linhas leitor(arquivo, Limite_Leitura_Historico);
    Linha_Lida l;
    while (leitor.Proxima(l))
        if (!linha(l.texto.substr(0, std::min(l.texto.size(), Guardado_Por_Linha))))
            return;
}

} // namespace

std::string Codificar_Linha(const std::string &registro)
{
    return Deslocar(registro, Deslocamento_Historico);
}

std::string Decodificar_Linha(const std::string &linha)
{
    return Deslocar(linha, -Deslocamento_Historico);
}

namespace {
// The first line of the file (as stored) for which `procurada` is true; none when the file does
// not exist.
template <typename F> std::optional<std::string> Primeira_Linha(const std::string &arquivo, F &&procurada)
{
    std::optional<std::string> achada;
    try {
        Percorrer_Linhas(arquivo, [&](std::string_view linha) {
            if (procurada(linha))
                achada.emplace(linha);
            return !achada;
        });
    } catch (const Erro_Execucao &e) {
        if (e.numero != Erro::Arquivo_Nao_Encontrado)
            throw;
    }
    return achada;
}

// Whether a line of the file holds, at each (position, size) of `campos`, the stored form of the
// same field of `registro`. Comparing the shifted characters spares decoding every line.
bool Linha_Com_Campos(const std::string &registro, std::initializer_list<std::pair<int, int>> campos,
                      const std::string &arquivo)
{
    std::vector<std::pair<std::pair<int, int>, std::string>> procurados;
    for (const auto &[inicio, tamanho] : campos)
        procurados.push_back({{inicio, tamanho}, Codificar_Linha(Campo(registro, inicio, tamanho))});
    return Primeira_Linha(arquivo, [&](std::string_view linha) {
               return std::all_of(procurados.begin(), procurados.end(), [&](const auto &p) {
                   return Campo(linha, p.first.first, p.first.second) == p.second;
               });
           }).has_value();
}

constexpr std::pair<int, int> Campo_Codigo{22, 8};

// A history that cannot be read (one open for writing only) counts as lacking the entry: it is
// appended to as before, since a line written twice is better than a receipt lost.
bool Presente(const std::string &registro, Mesma_Entrada mesma, const std::string &arquivo)
{
    try {
        if (mesma == Mesma_Entrada::Codigo)
            return Linha_Com_Campos(registro, {Campo_Codigo}, arquivo);
        // Every field but the file name (10-21), which copies of one declaration may differ in:
        // reception date and time, code, the declaration's data.
        return Linha_Com_Campos(registro, {{1, 9}, {22, Tamanho_Registro - 21}}, arquivo);
    } catch (const Erro_Execucao &) {
        return false;
    }
}

enum class Anexo { Sempre, Se_Ausente };

bool Anexar_Entrada(const std::string &registro, const std::string &arquivo, Anexo modo, Mesma_Entrada mesma)
{
    // Parallel deliveries of one process take turns here; the file's lock keeps another program
    // appending to the same file out of the look at the last byte, the write and its undoing.
    // Both are needed: where the file lock is emulated by record locks it does not exclude threads.
    static std::mutex vez;
    const std::lock_guard<std::mutex> nossa_vez(vez);
    Anexo_Travado historico(arquivo, Espera_Trava_Historico_ms);
    if (modo == Anexo::Se_Ausente && Presente(registro, mesma, arquivo)) {
        historico.Fechar();
        return false;
    }

    std::string linha;
    // A last line cut short by an earlier crash is closed first, or this entry would be glued to it.
    const std::int64_t tamanho = historico.Tamanho();
    char ultimo = '\n';
    if (tamanho > 0 && historico.Ler_Byte(tamanho - 1, ultimo) && ultimo != '\n')
        linha = "\r\n";
    // A control byte in the record would be stored as a line end (byte 0 becomes LF): written as
    // a blank, the same rule the record builder follows.
    linha += Codificar_Linha(Sem_Controles(registro));
    linha += "\r\n";
    // One write, so a reader or another writer never sees half of the entry.
    historico.Anexar(linha);
    historico.Fechar();
    return true;
}
} // namespace

void Gravar_Historico(const std::string &registro, const std::string &arquivo)
{
    Anexar_Entrada(registro, arquivo, Anexo::Sempre, Mesma_Entrada::Codigo);
}

bool Gravar_Historico_Se_Ausente(const std::string &registro, Mesma_Entrada mesma, const std::string &arquivo)
{
    return Anexar_Entrada(registro, arquivo, Anexo::Se_Ausente, mesma);
}

bool Historico_Existe(const std::string &arquivo)
{
    return Existe_Sem_Ser_Pasta(arquivo);
}

bool Entrada_Presente(const std::string &codigo8, const std::string &arquivo)
{
    std::string registro(Campo_Codigo.first - 1, ' ');
    registro += codigo8;
    return Linha_Com_Campos(registro, {Campo_Codigo}, arquivo);
}

std::string Entrada_Com_Codigo(const std::string &codigo8, const std::string &arquivo)
{
    const std::string procurado = Codificar_Linha(codigo8);
    const std::optional<std::string> linha = Primeira_Linha(arquivo, [&](std::string_view l) {
        return Campo(l, Campo_Codigo.first, Campo_Codigo.second) == procurado;
    });
    return linha ? Decodificar_Linha(*linha) : std::string();
}

Leitura_Historico Procurar_Historico(const std::string &texto, const std::string &arquivo,
                                     const std::atomic<bool> *parar)
{
    const Consulta_Historico consulta(texto);
    // The newest matches so far, in a ring: memory stays the same however long the file is.
    std::vector<std::string> anel(Max_Entradas_Reimpressao);
    Leitura_Historico r;
    Percorrer_Linhas(arquivo, [&](std::string_view linha) {
        ++r.total;
        if (consulta.Corresponde_Armazenada(linha)) {
            anel[static_cast<size_t>(r.encontradas % Max_Entradas_Reimpressao)].assign(linha);
            ++r.encontradas;
        }
        return !parar || !*parar;
    });
    const long long guardadas = std::min<long long>(r.encontradas, Max_Entradas_Reimpressao);
    r.entradas.reserve(static_cast<size_t>(guardadas));
    for (long long i = r.encontradas - guardadas; i < r.encontradas; ++i)
        r.entradas.push_back(Decodificar_Linha(anel[static_cast<size_t>(i % Max_Entradas_Reimpressao)]));
    return r;
}

Leitura_Historico Ler_Historico(const std::string &arquivo) { return Procurar_Historico({}, arquivo); }

void Percorrer_Historico(const std::function<bool(const std::string &registro)> &entrada, const std::string &arquivo)
{
    if (!Historico_Existe(arquivo))
        return;
    Percorrer_Linhas(arquivo, [&](std::string_view linha) { return entrada(Decodificar_Linha(std::string(linha))); });
}
