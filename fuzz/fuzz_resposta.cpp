// Any bytes as the server's reply: judging it, building the receipt record from it (and from
// the same bytes standing in for every declaration field), and the record's display rules.
#include "fuzz/Apoio_Fuzz.h"
#include "engine/receipt/Registro_Recibo.h"
#include "engine/transmit/Julgamento.h"

#include <cstdint>
#include <string>

namespace {

void Exibir(std::string_view registro)
{
    EXIGIR(Data_Para_Exibir(registro).size() == 10);
    const std::string hora = Hora_Para_Exibir(registro);
    EXIGIR(hora.size() >= 2 && hora.size() <= 8);
    const std::string mes = Texto_Mes(registro);
    EXIGIR(mes.empty() || mes.size() >= 8);
    const std::string tipo = Recibo::Tipo_Identificador(registro);
    const size_t largura_id = tipo == "1" ? 18 : 16;
    EXIGIR(Identificador_Para_Exibir(tipo, Recibo::Identificador(registro)).size() == largura_id);
    EXIGIR(CEP_Para_Exibir(registro).size() == 10);
    for (int n = 1; n <= 5; ++n)
        EXIGIR(Contador_Para_Exibir(Recibo::Total(registro, n)).size() == 6);
}

void Conferir_Registro(const std::string &registro)
{
    EXIGIR(registro.size() == Tamanho_Registro);
    for (char c : registro)
        EXIGIR(static_cast<unsigned char>(c) >= 32);
    Exibir(registro);
}

int32_t Numero(std::string_view b, size_t i)
{
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k)
        v = v << 8 | (i + k < b.size() ? static_cast<uint8_t>(b[i + k]) : 0u);
    return static_cast<int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    const std::string resposta(reinterpret_cast<const char *>(dados), tamanho);

    const Julgamento j = Julgar_Resposta(resposta, "03", "2024");
    EXIGIR((j.veredito == Veredito::Segue) == j.mensagem.isEmpty());

    EXIGIR(Codigo_Recebimento_De(resposta).size() == 8);

    Dados_Para_Recibo d;
    d.resposta = resposta;
    d.nome_arquivo = "Z032024.MOV";
    d.declaracao.Tipo_Identificador = "1";
    d.declaracao.Identificador = "12345678000190";
    d.declaracao.Razao_Social = "EMPRESA EXEMPLO LTDA";
    d.declaracao.Endereco = "RUA DAS FLORES 100";
    d.declaracao.CEP = "12345678";
    d.declaracao.UF = "SP";
    d.declaracao.Mes_Competencia = "03";
    d.declaracao.Ano_Competencia = "2024";
    Conferir_Registro(Montar_Recibo(d));

    // The same bytes in every field, and counters and type from them, whatever their size.
    Dados_Declaracao &decl = d.declaracao;
    decl.Tipo_Arquivo = static_cast<int16_t>(Numero(resposta, 0));
    d.nome_arquivo = decl.Tipo_Identificador = decl.Identificador = decl.Razao_Social = decl.Endereco = resposta;
    decl.CEP = decl.UF = decl.Mes_Competencia = decl.Ano_Competencia = resposta;
    int32_t *const totais[] = {&decl.Total_1, &decl.Total_2, &decl.Total_3, &decl.Total_4, &decl.Total_5};
    for (size_t n = 0; n < 5; ++n)
        *totais[n] = Numero(resposta, 4 + 4 * n);
    Conferir_Registro(Montar_Recibo(d));

    // The display rules read records of any length (a truncated history line, say).
    Exibir(resposta);
    return 0;
}
