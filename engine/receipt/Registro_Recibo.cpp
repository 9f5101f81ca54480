#include "engine/receipt/Registro_Recibo.h"

#include "engine/platform/Campos_Fixos.h"

#include <climits>

namespace {

// A value made to fill exactly `largura` places: cut at the right, or blanks added at the right.
std::string Ajustar(std::string_view valor, int largura)
{
    std::string s(valor.substr(0, static_cast<size_t>(largura)));
    s.resize(static_cast<size_t>(largura), ' ');
    return s;
}

// Right-aligned in `largura` places; a longer value keeps its first `largura` characters.
std::string Alinhar_Direita(std::string_view valor, int largura)
{
    if (valor.size() >= static_cast<size_t>(largura))
        return std::string(valor.substr(0, static_cast<size_t>(largura)));
    return std::string(static_cast<size_t>(largura) - valor.size(), ' ') + std::string(valor);
}

// A counter in its six places; one that cannot be written in six shows six asterisks
// rather than pushing the later fields out of place.
std::string Contador(int32_t valor)
{
    const std::string texto = std::to_string(valor);
    return texto.size() > 6 ? std::string(6, '*') : Alinhar_Direita(texto, 6);
}

const char *const kMeses[12] = {
    "Janeiro de ", "Fevereiro de ", "Mar\xE7o de ", "Abril de ", "Maio de ", "Junho de ",
    "Julho de ", "Agosto de ", "Setembro de ", "Outubro de ", "Novembro de ", "Dezembro de "};

} // namespace

std::string Codigo_Recebimento_De(std::string_view resposta)
{
    // The numeric value of the eight characters: text that is no number reads as 0.
    const long long valor = Valor_Numerico(Campo(resposta, 2, 8));
    const std::string digitos = std::to_string(valor < 0 ? -valor : valor);
    if (valor < 0) // still eight places: the sign takes the first
        return "-" + Preencher_Zeros(digitos, 7);
    return Preencher_Zeros(digitos, 8);
}

std::string Montar_Recibo(const Dados_Para_Recibo &d)
{
    const std::string_view r = d.resposta;
    std::string rec;
    rec.reserve(Tamanho_Registro);
    rec += Ajustar(Campo(r, 14, 4), 4);
    rec += Ajustar(Campo(r, 12, 2), 2);
    rec += Ajustar(Campo(r, 10, 2), 2);
    // Any value other than a single digit is an adjustment file ("2").
    const Dados_Declaracao &decl = d.declaracao;
    rec += (decl.Tipo_Arquivo >= 0 && decl.Tipo_Arquivo <= 9) ? char('0' + decl.Tipo_Arquivo) : '2';
    rec += Alinhar_Direita(d.nome_arquivo, 12);
    rec += Codigo_Recebimento_De(r);
    rec += Ajustar(decl.Tipo_Identificador, 1);
    rec += Ajustar(decl.Identificador, 14);
    rec += Ajustar(decl.Razao_Social, 35);
    rec += Ajustar(decl.Endereco, 40);
    rec += Ajustar(decl.CEP, 8);
    rec += Ajustar(decl.UF, 2);
    rec += Ajustar(decl.Mes_Competencia, 2);
    rec += Ajustar(decl.Ano_Competencia, 4);
    for (int32_t total : {decl.Total_1, decl.Total_2, decl.Total_3, decl.Total_4, decl.Total_5})
        rec += Contador(total);
    rec += Ajustar(Campo(r, 18, 6), 6);
    rec += Ajustar(Campo(r, 2, 8), 8);
    // A control byte (a stray line feed, say) would split the history line or upset the printer.
    return Sem_Controles(std::move(rec));
}

namespace Recibo {
std::string Data_Transmissao(std::string_view r) { return Campo(r, 1, 8); }
std::string Tipo_Arquivo(std::string_view r) { return Campo(r, 9, 1); }
std::string Nome_Arquivo(std::string_view r) { return Campo(r, 10, 12); }
std::string Codigo_Recebimento(std::string_view r) { return Campo(r, 22, 8); }
std::string Tipo_Identificador(std::string_view r) { return Campo(r, 30, 1); }
std::string Identificador(std::string_view r) { return Campo(r, 31, 14); }
std::string Razao_Social(std::string_view r) { return Campo(r, 45, 35); }
std::string Endereco(std::string_view r) { return Campo(r, 80, 40); }
std::string CEP(std::string_view r) { return Campo(r, 120, 8); }
std::string UF(std::string_view r) { return Campo(r, 128, 2); }
std::string Mes_Competencia(std::string_view r) { return Campo(r, 130, 2); }
std::string Ano_Competencia(std::string_view r) { return Campo(r, 132, 4); }
std::string Total(std::string_view r, int n)
{
    if (n < 1 || n > 5)
        return {};
    return Campo(r, 136 + 6 * (n - 1), 6);
}
std::string Hora_Transmissao(std::string_view r) { return Campo(r, 166, 6); }
std::string Codigo_Recebido(std::string_view r) { return Campo(r, 172, 8); }
} // namespace Recibo

std::string Aplicar_Mascara(std::string_view valor, std::string_view mascara)
{
    size_t lugares = 0;
    for (char c : mascara)
        if (c == '@')
            ++lugares;
    // A value longer than the mask keeps its last characters, so the width never grows.
    if (valor.size() > lugares)
        valor.remove_prefix(valor.size() - lugares);

    std::string saida(mascara);
    size_t resta = valor.size();
    for (size_t i = saida.size(); i-- > 0;) {
        if (saida[i] != '@')
            continue;
        saida[i] = resta > 0 ? valor[--resta] : ' ';
    }
    return saida;
}

std::string Preencher_Zeros(std::string_view valor, int digitos)
{
    // Only a number is padded; any other text is returned as it is.
    const std::string_view numero = Sem_Brancos(valor);
    if (!So_Digitos(numero))
        return std::string(valor);
    std::string s(numero);
    if (s.size() < static_cast<size_t>(digitos))
        s.insert(0, static_cast<size_t>(digitos) - s.size(), '0');
    return s;
}

long long Valor_Numerico(std::string_view texto)
{
    size_t i = 0;
    auto pular_brancos = [&] {
        while (i < texto.size() && (texto[i] == ' ' || texto[i] == '\t'))
            ++i;
    };
    pular_brancos();
    bool negativo = false;
    if (i < texto.size() && (texto[i] == '-' || texto[i] == '+')) {
        negativo = texto[i] == '-';
        ++i;
    }
    long long valor = 0;
    for (;; ++i) {
        pular_brancos();
        if (i >= texto.size() || texto[i] < '0' || texto[i] > '9')
            break;
        const int d = texto[i] - '0';
        if (valor > (LLONG_MAX - d) / 10) {
            valor = LLONG_MAX; // saturates instead of overflowing
            break;
        }
        valor = valor * 10 + d;
    }
    return negativo ? -valor : valor;
}

std::string Data_Para_Exibir(std::string_view registro)
{
    const std::string data = Recibo::Data_Transmissao(registro);
    const std::string dia_mes_ano = Ajustar(Campo(data, 7, 2), 2) + Ajustar(Campo(data, 5, 2), 2) +
                                    Ajustar(Campo(data, 1, 4), 4);
    return Aplicar_Mascara(dia_mes_ano, "@@/@@/@@@@");
}

std::string Hora_Para_Exibir(std::string_view registro)
{
    const std::string hora = Recibo::Hora_Transmissao(registro);
    return Campo(hora, 1, 2) + ":" + Campo(hora, 3, 2) + ":" + Campo(hora, 5, 2);
}

std::string Nome_Mes(long long mes)
{
    if (mes < 1 || mes > 12)
        return {};
    return kMeses[mes - 1];
}

std::string Texto_Mes(std::string_view registro)
{
    return Nome_Mes(Valor_Numerico(Recibo::Mes_Competencia(registro)));
}

std::string Identificador_Para_Exibir(std::string_view tipo, std::string_view identificador)
{
    if (tipo == "1")
        return Aplicar_Mascara(Campo(identificador, 1, 14), "@@.@@@.@@@/@@@@-@@");
    return Aplicar_Mascara(Campo(identificador, 3, 12), "@@.@@@.@@@.@@@-@");
}

std::string CEP_Para_Exibir(std::string_view registro)
{
    return Aplicar_Mascara(Recibo::CEP(registro), "@@.@@@-@@@");
}

std::string Contador_Para_Exibir(std::string_view seis)
{
    return Aplicar_Mascara(seis, "@@@@@@");
}
