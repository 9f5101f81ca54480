// The receipt record: building it from a reply and the declaration's data, cutting its fields,
// and the display rules shared by the printed receipt and the preview.
#include "engine/receipt/Registro_Recibo.h"

#include <QTest>
#include <climits>

namespace {

const std::string kResposta = "0" "12345678" "15" "01" "2004" "090507";

Dados_Para_Recibo Dados_Exemplo()
{
    Dados_Para_Recibo d;
    d.resposta = kResposta;
    d.declaracao.Tipo_Arquivo = 1;
    d.nome_arquivo = "ZELTA001.TXT";
    d.declaracao.Tipo_Identificador = "1";
    d.declaracao.Identificador = "12345678000190";
    d.declaracao.Razao_Social = "CONFEC\xC7\xD5" "ES ALFA LTDA";
    d.declaracao.Endereco = "RUA DAS FLORES 10";
    d.declaracao.CEP = "12345678";
    d.declaracao.UF = "SP";
    d.declaracao.Mes_Competencia = "03";
    d.declaracao.Ano_Competencia = "2024";
    d.declaracao.Total_1 = 1;
    d.declaracao.Total_2 = 23;
    d.declaracao.Total_3 = 456;
    d.declaracao.Total_4 = 7890;
    d.declaracao.Total_5 = 123456;
    return d;
}

std::string Em(std::string_view s) { return std::string(s); }

} // namespace

class TstRegistroRecibo : public QObject {
    Q_OBJECT
private slots:
    // Every field in its place, written out by hand so a position off by one shows.
    void registro_completo_campo_a_campo()
    {
        const std::string r = Montar_Recibo(Dados_Exemplo());
        const std::string esperado = std::string("20040115")     // 1-8
                                     + "1"                       // 9
                                     + "ZELTA001.TXT"            // 10-21
                                     + "12345678"                // 22-29
                                     + "1"                       // 30
                                     + "12345678000190"          // 31-44
                                     + "CONFEC\xC7\xD5" "ES ALFA LTDA" + std::string(15, ' ') // 45-79
                                     + "RUA DAS FLORES 10" + std::string(23, ' ')          // 80-119
                                     + "12345678"                // 120-127
                                     + "SP"                      // 128-129
                                     + "03"                      // 130-131
                                     + "2024"                    // 132-135
                                     + "     1    23   456  7890123456" // 136-165
                                     + "090507"                  // 166-171
                                     + "12345678";               // 172-179
        QCOMPARE(esperado.size(), size_t(Tamanho_Registro));
        QCOMPARE(r, esperado);
    }

    // The cutters read positions, whatever the content: each character here names its own place.
    void cortadores_pelas_posicoes()
    {
        std::string r;
        for (int i = 0; i < Tamanho_Registro; ++i)
            r += char(33 + i); // position p holds char(32 + p)
        auto em = [&](int inicio, int tamanho) { return r.substr(size_t(inicio - 1), size_t(tamanho)); };
        QCOMPARE(Recibo::Data_Transmissao(r), em(1, 8));
        QCOMPARE(Recibo::Tipo_Arquivo(r), em(9, 1));
        QCOMPARE(Recibo::Nome_Arquivo(r), em(10, 12));
        QCOMPARE(Recibo::Codigo_Recebimento(r), em(22, 8));
        QCOMPARE(Recibo::Tipo_Identificador(r), em(30, 1));
        QCOMPARE(Recibo::Identificador(r), em(31, 14));
        QCOMPARE(Recibo::Razao_Social(r), em(45, 35));
        QCOMPARE(Recibo::Endereco(r), em(80, 40));
        QCOMPARE(Recibo::CEP(r), em(120, 8));
        QCOMPARE(Recibo::UF(r), em(128, 2));
        QCOMPARE(Recibo::Mes_Competencia(r), em(130, 2));
        QCOMPARE(Recibo::Ano_Competencia(r), em(132, 4));
        for (int n = 1; n <= 5; ++n)
            QCOMPARE(Recibo::Total(r, n), em(136 + 6 * (n - 1), 6));
        QCOMPARE(Recibo::Hora_Transmissao(r), em(166, 6));
        QCOMPARE(Recibo::Codigo_Recebido(r), em(172, 8));
        QCOMPARE(Recibo::Total(r, 0), Em(""));
        QCOMPARE(Recibo::Total(r, 6), Em(""));
    }

    void nome_de_arquivo_alinhado_ou_cortado()
    {
        Dados_Para_Recibo d = Dados_Exemplo();
        d.nome_arquivo = "ZELTA001";
        std::string r = Montar_Recibo(d);
        QCOMPARE(Recibo::Nome_Arquivo(r), Em("    ZELTA001"));

        d.nome_arquivo = "MOVIMENTO_MARCO.TXT";
        r = Montar_Recibo(d);
        QCOMPARE(r.size(), size_t(Tamanho_Registro));
        QCOMPARE(Recibo::Nome_Arquivo(r), Em("MOVIMENTO_MA"));
        QCOMPARE(Recibo::Codigo_Recebimento(r), Em("12345678"));
    }

    void contadores_em_seis_lugares()
    {
        Dados_Para_Recibo d = Dados_Exemplo();
        d.declaracao.Total_1 = 0;
        d.declaracao.Total_2 = 999999;
        d.declaracao.Total_3 = 1000000;
        d.declaracao.Total_4 = -5;
        d.declaracao.Total_5 = INT32_MIN;
        const std::string r = Montar_Recibo(d);
        QCOMPARE(r.size(), size_t(Tamanho_Registro));
        QCOMPARE(Recibo::Total(r, 1), Em("     0"));
        QCOMPARE(Recibo::Total(r, 2), Em("999999"));
        QCOMPARE(Recibo::Total(r, 3), Em("******"));
        QCOMPARE(Recibo::Total(r, 4), Em("    -5"));
        QCOMPARE(Recibo::Total(r, 5), Em("******"));
        QCOMPARE(Recibo::Hora_Transmissao(r), Em("090507"));
    }

    void codigo_do_recebimento()
    {
        QCOMPARE(Codigo_Recebimento_De(kResposta), Em("12345678"));
        QCOMPARE(Codigo_Recebimento_De("000000042150120040905070"), Em("00000042"));
        QCOMPARE(Codigo_Recebimento_De("0 1234567150120040905070"), Em("01234567"));
        // A short reply: what is there is a number, so it is padded.
        QCOMPARE(Codigo_Recebimento_De("0123"), Em("00000123"));
        // The numeric value: text that is no number reads as 0, a number stops at the first letter.
        QCOMPARE(Codigo_Recebimento_De("0ABCDEFGH15012004090507"), Em("00000000"));
        QCOMPARE(Codigo_Recebimento_De("012AB34CD15012004090507"), Em("00000012"));
        QCOMPARE(Codigo_Recebimento_De("0-0000042"), Em("-0000042"));
        QCOMPARE(Codigo_Recebimento_De("X"), Em("00000000"));
        QCOMPARE(Codigo_Recebimento_De(""), Em("00000000"));
    }

    // A reply shorter than 23 characters leaves blanks where its missing parts would be.
    void resposta_curta_nao_desloca()
    {
        Dados_Para_Recibo d = Dados_Exemplo();
        d.resposta = "012345678150120";
        std::string r = Montar_Recibo(d);
        QCOMPARE(r.size(), size_t(Tamanho_Registro));
        QCOMPARE(Recibo::Data_Transmissao(r), Em("20  0115"));
        QCOMPARE(Recibo::Codigo_Recebimento(r), Em("12345678"));
        QCOMPARE(Recibo::Hora_Transmissao(r), Em("      "));
        QCOMPARE(Recibo::Codigo_Recebido(r), Em("12345678"));

        d.resposta = "0123";
        r = Montar_Recibo(d);
        QCOMPARE(r.size(), size_t(Tamanho_Registro));
        QCOMPARE(Recibo::Data_Transmissao(r), Em("        "));
        QCOMPARE(Recibo::Codigo_Recebimento(r), Em("00000123"));
        QCOMPARE(Recibo::Codigo_Recebido(r), Em("123     "));
        QCOMPARE(Recibo::UF(r), Em("SP"));

        d.resposta = kResposta + "EXTRA";
        QCOMPARE(Montar_Recibo(d), Montar_Recibo(Dados_Exemplo()));
    }

    void campos_do_cabecalho_cortados_ou_completados()
    {
        Dados_Para_Recibo d = Dados_Exemplo();
        d.declaracao.Tipo_Identificador = "";
        d.declaracao.Identificador = "123456789012345678";
        d.declaracao.Razao_Social = std::string(50, 'R');
        d.declaracao.Endereco = "";
        d.declaracao.CEP = "123";
        d.declaracao.UF = "SPX";
        d.declaracao.Mes_Competencia = "3";
        d.declaracao.Ano_Competencia = "24";
        d.declaracao.Tipo_Arquivo = 2;
        const std::string r = Montar_Recibo(d);
        QCOMPARE(r.size(), size_t(Tamanho_Registro));
        QCOMPARE(Recibo::Tipo_Arquivo(r), Em("2"));
        QCOMPARE(Recibo::Tipo_Identificador(r), Em(" "));
        QCOMPARE(Recibo::Identificador(r), Em("12345678901234"));
        QCOMPARE(Recibo::Razao_Social(r), std::string(35, 'R'));
        QCOMPARE(Recibo::Endereco(r), std::string(40, ' '));
        QCOMPARE(Recibo::CEP(r), Em("123     "));
        QCOMPARE(Recibo::UF(r), Em("SP"));
        QCOMPARE(Recibo::Mes_Competencia(r), Em("3 "));
        QCOMPARE(Recibo::Ano_Competencia(r), Em("24  "));
        QCOMPARE(Recibo::Total(r, 1), Em("     1"));

        d.declaracao.Tipo_Arquivo = 17; // not one digit: an adjustment file
        QCOMPARE(Recibo::Tipo_Arquivo(Montar_Recibo(d)), Em("2"));
    }

    void bytes_de_controle_viram_brancos()
    {
        Dados_Para_Recibo d = Dados_Exemplo();
        d.declaracao.Razao_Social = "ALFA\nLTDA\x7F";
        d.declaracao.Endereco = std::string("RUA\tA\r", 6) + std::string(1, '\0') + "X";
        d.resposta = "0123456781501200409\r507";
        const std::string r = Montar_Recibo(d);
        QCOMPARE(r.size(), size_t(Tamanho_Registro));
        QCOMPARE(Recibo::Razao_Social(r), Em("ALFA LTDA") + std::string(26, ' '));
        QCOMPARE(Recibo::Endereco(r), Em("RUA A  X") + std::string(32, ' '));
        QCOMPARE(Recibo::Hora_Transmissao(r), Em("09 507"));
        for (unsigned char c : r)
            QVERIFY(c >= 32 && c != 127);
        // Bytes above 127 are letters of the code page and stay.
        d.declaracao.Razao_Social = "\xC7\xE3\xFA";
        QCOMPARE(Recibo::Razao_Social(Montar_Recibo(d)).substr(0, 3), Em("\xC7\xE3\xFA"));
    }

    void data_e_hora_para_exibir()
    {
        const std::string r = Montar_Recibo(Dados_Exemplo());
        QCOMPARE(Data_Para_Exibir(r), Em("15/01/2004"));
        QCOMPARE(Hora_Para_Exibir(r), Em("09:05:07"));
        QCOMPARE(Data_Para_Exibir("20240305"), Em("05/03/2024"));
    }

    void nome_do_mes()
    {
        const char *const textos[12] = {"Janeiro de ", "Fevereiro de ", "Mar\xE7o de ", "Abril de ",
                                        "Maio de ", "Junho de ", "Julho de ", "Agosto de ",
                                        "Setembro de ", "Outubro de ", "Novembro de ", "Dezembro de "};
        Dados_Para_Recibo d = Dados_Exemplo();
        for (int m = 1; m <= 12; ++m) {
            d.declaracao.Mes_Competencia = (m < 10 ? "0" : "") + std::to_string(m);
            QCOMPARE(Texto_Mes(Montar_Recibo(d)), Em(textos[m - 1]));
        }
        for (const char *mes : {"03", " 3", "3 "}) {
            d.declaracao.Mes_Competencia = mes;
            QCOMPARE(Texto_Mes(Montar_Recibo(d)), Em("Mar\xE7o de "));
        }
        for (const char *mes : {"00", "13", "  ", "AB", "-3"}) {
            d.declaracao.Mes_Competencia = mes;
            QCOMPARE(Texto_Mes(Montar_Recibo(d)), Em(""));
        }
    }

    void identificador_para_exibir()
    {
        QCOMPARE(Identificador_Para_Exibir("1", "12345678000190"), Em("12.345.678/0001-90"));
        QCOMPARE(Identificador_Para_Exibir("2", "00123456789012"), Em("12.345.678.901-2"));
        QCOMPARE(Identificador_Para_Exibir(" ", "  123456789012"), Em("12.345.678.901-2"));
        QCOMPARE(Identificador_Para_Exibir("2", "12345"), Em("  .   .   . 34-5"));
        const std::string r = Montar_Recibo(Dados_Exemplo());
        QCOMPARE(Identificador_Para_Exibir(Recibo::Tipo_Identificador(r), Recibo::Identificador(r)),
                 Em("12.345.678/0001-90"));
    }

    void cep_e_contador_para_exibir()
    {
        const std::string r = Montar_Recibo(Dados_Exemplo());
        QCOMPARE(CEP_Para_Exibir(r), Em("12.345-678"));
        QCOMPARE(Contador_Para_Exibir(Recibo::Total(r, 4)), Em("  7890"));
        QCOMPARE(Contador_Para_Exibir("     0"), Em("     0"));
        QCOMPARE(Contador_Para_Exibir("1"), Em("     1"));
    }

    void regra_da_mascara()
    {
        QCOMPARE(Aplicar_Mascara("12345678", "@@.@@@-@@@"), Em("12.345-678"));
        QCOMPARE(Aplicar_Mascara("5678", "@@.@@@-@@@"), Em("  .  5-678"));
        QCOMPARE(Aplicar_Mascara("", "@@/@@"), Em("  /  "));
        QCOMPARE(Aplicar_Mascara("abc", "xyz"), Em("xyz"));
        // Longer than the mask: the extra leading characters are dropped.
        QCOMPARE(Aplicar_Mascara("9912345678", "@@.@@@-@@@"), Em("12.345-678"));
    }

    void zeros_a_esquerda()
    {
        QCOMPARE(Preencher_Zeros("42", 8), Em("00000042"));
        QCOMPARE(Preencher_Zeros("12345678", 8), Em("12345678"));
        QCOMPARE(Preencher_Zeros("123456789", 8), Em("123456789"));
        QCOMPARE(Preencher_Zeros("  123456789012", 14), Em("00123456789012"));
        QCOMPARE(Preencher_Zeros("12A", 8), Em("12A"));
        QCOMPARE(Preencher_Zeros("", 8), Em(""));
    }

    void valor_numerico()
    {
        QCOMPARE(Valor_Numerico("03"), 3LL);
        QCOMPARE(Valor_Numerico(" 3"), 3LL);
        QCOMPARE(Valor_Numerico("1 2"), 12LL);
        QCOMPARE(Valor_Numerico("12a3"), 12LL);
        QCOMPARE(Valor_Numerico("-7"), -7LL);
        QCOMPARE(Valor_Numerico(""), 0LL);
        QCOMPARE(Valor_Numerico("  "), 0LL);
        QCOMPARE(Valor_Numerico("x1"), 0LL);
        QCOMPARE(Valor_Numerico("99999999999999999999999"), LLONG_MAX);
    }

    // A truncated history line: every field and rule gives short or empty text, never a failure.
    void registro_curto()
    {
        const std::string completo = Montar_Recibo(Dados_Exemplo());
        for (size_t n : {size_t(0), size_t(5), size_t(25), size_t(121), size_t(167), size_t(178)}) {
            const std::string r = completo.substr(0, n);
            QVERIFY(Recibo::Data_Transmissao(r).size() <= 8);
            QVERIFY(Recibo::Codigo_Recebido(r).size() <= 8);
            QVERIFY(Recibo::Total(r, 5).size() <= 6);
            QCOMPARE(Data_Para_Exibir(r).size(), size_t(10));
            QCOMPARE(CEP_Para_Exibir(r).size(), size_t(10));
            Hora_Para_Exibir(r);
            Texto_Mes(r);
        }
        QCOMPARE(Data_Para_Exibir("200401"), Em("  /01/2004"));
        QCOMPARE(Recibo::Codigo_Recebimento(completo.substr(0, 25)), Em("1234"));
        QCOMPARE(Recibo::Hora_Transmissao(completo.substr(0, 167)), Em("09"));
        QCOMPARE(Hora_Para_Exibir(completo.substr(0, 167)), Em("09::"));
        QCOMPARE(Campo("abc", 0, 2), Em("a"));
        QCOMPARE(Campo("abc", 3, 5), Em("c"));
        QCOMPARE(Campo("abc", 9, 2), Em(""));
        QCOMPARE(Campo("abc", 1, -1), Em(""));
        QCOMPARE(Campo("abc", INT_MAX, INT_MAX), Em(""));
    }
};

QTEST_APPLESS_MAIN(TstRegistroRecibo)
#include "tst_registro_recibo.moc"
