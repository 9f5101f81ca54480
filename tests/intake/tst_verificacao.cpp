// Checks of a declaration file: type, mark, integrity value, header fields and counters,
// through the functions the transmit command calls.
#include "engine/intake/Verificacao.h"
#include "engine/platform/Crc.h"
#include "engine/platform/Erro_Execucao.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <string>
#include <vector>
#include <zlib.h>

namespace {
// A 150-character record: type letter, then blanks, with `pis` at 22-32 when given.
std::string Registro(char tipo, const std::string &pis = "12345678901", char enchimento = 'x')
{
    std::string r(150, enchimento);
    r[0] = tipo;
    r.replace(21, 11, pis);
    r.replace(145, 5, "     ");
    return r;
}

void Campo(std::string &r, std::size_t posicao, std::size_t tamanho, std::string texto)
{
    texto.resize(tamanho, ' ');
    r.replace(posicao - 1, tamanho, texto);
}

std::string Cabecalho()
{
    std::string r(150, ' ');
    Campo(r, 1, 9, "A00000001");
    Campo(r, 10, 2, "03");
    Campo(r, 12, 4, "2024");
    Campo(r, 22, 1, "1");
    Campo(r, 23, 14, "11222333000181");
    Campo(r, 37, 35, "EMPRESA \xC1GUA LTDA"); // Á in Windows-1252
    Campo(r, 72, 40, "RUA A, 1");
    Campo(r, 112, 8, "01001000");
    Campo(r, 120, 2, "SP");
    return r;
}

// The chain computed independently with zlib: the reference the mark must equal.
int32_t Cadeia(const std::vector<std::string> &linhas)
{
    uLong v = 0;
    for (std::size_t i = 0; i < linhas.size(); ++i) {
        const std::string l = i + 1 == linhas.size() ? linhas[i].substr(0, 145) : linhas[i];
        v = crc32(v, reinterpret_cast<const Bytef *>(l.data()), static_cast<uInt>(l.size())) % 99999 + 1;
    }
    return static_cast<int32_t>(v);
}

// Stamps the reference mark at 146-150 of the last line.
std::vector<std::string> Marcadas(std::vector<std::string> linhas)
{
    char marca[6];
    std::snprintf(marca, sizeof marca, "%05d", static_cast<int>(Cadeia(linhas)));
    std::string &ultima = linhas.back();
    if (ultima.size() < 150)
        ultima.resize(150, ' ');
    ultima.replace(145, 5, marca);
    return linhas;
}

std::string Juntar(const std::vector<std::string> &linhas, const std::string &fim = "\r\n")
{
    std::string s;
    for (const auto &l : linhas)
        s += l + fim;
    return s;
}
} // namespace

class TstVerificacao : public QObject {
    Q_OBJECT
    QTemporaryDir pasta_;
    int n_ = 0;

    std::string Gravar(const std::string &bytes)
    {
        const std::string caminho = pasta_.filePath(QString("d%1.MOV").arg(++n_)).toStdString();
        std::ofstream(caminho, std::ios::binary) << bytes;
        return caminho;
    }
    Resultado_Verificacao Verificar(const std::string &bytes, Dados_Declaracao &d)
    {
        return Verificar_Declaracao(Gravar(bytes), d);
    }
    // The type the check pass settles, whatever it makes of the rest.
    int16_t Tipo(const std::string &bytes)
    {
        Dados_Declaracao d;
        Verificar(bytes, d);
        return d.Tipo_Arquivo;
    }
    Resultado_Verificacao Verificar(const std::string &bytes)
    {
        Dados_Declaracao d;
        return Verificar(bytes, d);
    }

private slots:
    void checksum_chain_stays_in_mark_range()
    {
        QCOMPARE(crc("", 0, 0), 1);
        const uLong z = crc32(0, reinterpret_cast<const Bytef *>("123456789"), 9);
        QCOMPARE(crc("123456789", 9, 0), static_cast<int32_t>(z % 99999 + 1));
        // Chained: the previous result seeds the next call.
        const int32_t a = crc("AB", 2, 0);
        QCOMPARE(crc("CD", 2, a), static_cast<int32_t>(crc32(a, reinterpret_cast<const Bytef *>("CD"), 2) % 99999 + 1));
        QCOMPARE(crc(nullptr, 0, 77), static_cast<int32_t>(77 % 99999 + 1));
        QCOMPARE(crc("XYZ", -3, 5), crc("", 0, 5));
        int32_t v = 0;
        std::string linha(145, 'a');
        for (int i = 0; i < 5000; ++i) {
            linha[i % 145] = static_cast<char>(i);
            v = crc(linha.data(), 145, v);
            QVERIFY(v >= 1 && v <= 99999);
        }
    }

    void messages_and_path()
    {
        QCOMPARE(Mensagem_01, QStringLiteral("01 - Você deve selecionar um arquivo antes de executar esta opção!"));
        QCOMPARE(Mensagem_15, QStringLiteral("15 - O arquivo escolhido para transmissão ainda não foi validado pelo PGV!"));
        QCOMPARE(Mensagem_16, QStringLiteral("16 - O arquivo escolhido para transmissão foi alterado, nao conferindo com "
                                             "original gerado pelo Aplicativo do Zelta Informatizado (PGV)."));
        QCOMPARE(Caminho_Declaracao("/", "A.MOV"), std::string("/A.MOV"));
        QCOMPARE(Caminho_Declaracao("/home/u", "A.MOV"), std::string("/home/u/A.MOV"));
        QCOMPARE(Caminho_Declaracao("/home/u/", "A.MOV"), std::string("/home/u/A.MOV"));
    }

    void movement_file_totals_and_header()
    {
        const std::vector<std::string> linhas = Marcadas({
            Cabecalho(), Registro('B'), Registro('B'), Registro('C'), Registro('C', "           "),
            Registro('C', "00000000000"), Registro('C', "0000000000 "), Registro('X'), Registro('Z'), Registro('c'),
        });
        Dados_Declaracao d;
        QCOMPARE(Verificar(Juntar(linhas), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Tipo_Arquivo, int16_t(1));
        QCOMPARE(d.Total_1, 2);
        QCOMPARE(d.Total_2, 4);
        QCOMPARE(d.Total_5, 2); // ten zeros and a blank is not zeroed
        QCOMPARE(d.Total_4, 1);
        QCOMPARE(d.Total_3, 2 + 4 + 1 + 1);
        QCOMPARE(d.Valor_Integridade, Cadeia(linhas));
        QCOMPARE(d.Marca_Validacao, d.Valor_Integridade);
        QCOMPARE(d.Mes_Competencia, std::string("03"));
        QCOMPARE(d.Ano_Competencia, std::string("2024"));
        QCOMPARE(d.Tipo_Identificador, std::string("1"));
        QCOMPARE(d.Identificador, std::string("11222333000181"));
        QCOMPARE(d.Razao_Social, std::string("EMPRESA \xC1GUA LTDA") + std::string(18, ' '));
        QCOMPARE(d.Endereco, std::string("RUA A, 1") + std::string(32, ' '));
        QCOMPARE(d.CEP, std::string("01001000"));
        QCOMPARE(d.UF, std::string("SP"));
    }

    void adjustment_file_totals()
    {
        // "X" and no "C" after the first line; "B" lines are not counted in an adjustment file.
        const auto linhas = Marcadas({Cabecalho(), Registro('B'), Registro('X'), Registro('X'), Registro('X')});
        Dados_Declaracao d;
        QCOMPARE(Verificar(Juntar(linhas), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Tipo_Arquivo, int16_t(2));
        QCOMPARE(d.Total_1, 3);
        QCOMPARE(d.Total_2, 4);
        QCOMPARE(d.Total_3, 0);
        QCOMPARE(d.Total_4, 0);
        QCOMPARE(d.Total_5, 0);
        // The first line's letter does not decide the type, but it is counted like any line.
        const auto primeira_x = Marcadas({Registro('X'), Registro('X')});
        QCOMPARE(Verificar(Juntar(primeira_x), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Total_1, 2);
        QCOMPARE(d.Total_2, 3);
        // Both letters, or neither: movement file.
        QCOMPARE(Tipo(Juntar({Cabecalho(), Registro('X'), Registro('C')})), int16_t(1));
        QCOMPARE(Tipo(Juntar({Cabecalho(), Registro('B')})), int16_t(1));
        QCOMPARE(Tipo(Juntar({Cabecalho()})), int16_t(1));
        // Only lines after the first decide, blank ones skipped, wherever the "C" stands.
        QCOMPARE(Tipo(Juntar({Registro('X'), Registro('B')})), int16_t(1));
        QCOMPARE(Tipo(Juntar({Cabecalho(), Registro('X'), "", Registro('B')})), int16_t(2));
        QCOMPARE(Tipo(Juntar({Cabecalho(), Registro('C'), Registro('X')})), int16_t(1));
    }

    void mark_missing_or_unreadable_is_not_validated()
    {
        auto linhas = Marcadas({Cabecalho(), Registro('C')});
        QCOMPARE(Verificar(Juntar(linhas)), Resultado_Verificacao::Aceito);
        // Blanks at 146-150, a last line of 145 characters, two line ends at the end.
        auto sem_marca = linhas;
        sem_marca.back().replace(145, 5, "     ");
        QCOMPARE(Verificar(Juntar(sem_marca)), Resultado_Verificacao::Nao_Validado);
        auto curta = linhas;
        curta.back().resize(145);
        QCOMPARE(Verificar(Juntar(curta)), Resultado_Verificacao::Nao_Validado);
        QCOMPARE(Verificar(Juntar(linhas) + "\r\n"), Resultado_Verificacao::Nao_Validado);
        // Without a line end after the last line, and with one: the same last line.
        QCOMPARE(Verificar(Juntar(linhas).substr(0, Juntar(linhas).size() - 2)), Resultado_Verificacao::Aceito);
        // Zero with a sign reads as 0: not validated rather than altered.
        auto zero = linhas;
        zero.back().replace(145, 5, "-0000");
        QCOMPARE(Verificar(Juntar(zero)), Resultado_Verificacao::Nao_Validado);
    }

    void mark_is_read_leniently()
    {
        auto linhas = Marcadas({Cabecalho(), Registro('C')});
        const int32_t valor = Cadeia(linhas);
        struct Caso { const char *marca; int32_t lida; };
        const Caso casos[] = {{" 1234", 1234}, {"01234", 1234}, {"1 2 3", 123}, {"12a45", 12}, {"+1234", 1234},
                              {"-1234", -1234}, {"12.5 ", 12}, {"13.5 ", 14}, {"1.2.3", 1}, {"abcde", 0}};
        for (const Caso &c : casos) {
            auto l = linhas;
            l.back().replace(145, 5, c.marca);
            Dados_Declaracao d;
            const auto r = Verificar(Juntar(l), d);
            QCOMPARE(d.Marca_Validacao, c.lida);
            QCOMPARE(d.Valor_Integridade, valor);
            QCOMPARE(r, c.lida == 0 ? Resultado_Verificacao::Nao_Validado : Resultado_Verificacao::Alterado);
        }
    }

    void changes_before_and_after_the_mark()
    {
        const auto linhas = Marcadas({Cabecalho(), Registro('B'), Registro('C')});
        for (std::size_t linha : {0u, 1u, 2u}) {
            for (std::size_t pos : {0u, 40u, 144u}) {
                auto l = linhas;
                l[linha][pos] ^= 0x01;
                QCOMPARE(Verificar(Juntar(l)), Resultado_Verificacao::Alterado);
            }
        }
        // Bytes after position 150 of the last line are not part of the check.
        auto longa = linhas;
        longa.back() += "ANYTHING AFTER THE MARK";
        QCOMPARE(Verificar(Juntar(longa)), Resultado_Verificacao::Aceito);
        // Positions 146-150 of a line that is not the last are data.
        auto meio = linhas;
        meio[1].replace(145, 5, "99999");
        QCOMPARE(Verificar(Juntar(meio)), Resultado_Verificacao::Alterado);
    }

    void one_line_file()
    {
        const auto linhas = Marcadas({Cabecalho()});
        Dados_Declaracao d;
        QCOMPARE(Verificar(Juntar(linhas), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Valor_Integridade, crc(linhas[0].data(), 145, 0));
        QCOMPARE(d.UF, std::string("SP"));
        QCOMPARE(d.Total_3, 1);
    }

    void short_header_gives_short_fields()
    {
        auto linhas = Marcadas({std::string("A00000001032024      1112223"), Registro('C')});
        Dados_Declaracao d;
        QCOMPARE(Verificar(Juntar(linhas), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Mes_Competencia, std::string("03"));
        QCOMPARE(d.Tipo_Identificador, std::string("1"));
        QCOMPARE(d.Identificador, std::string("112223"));
        QCOMPARE(d.Razao_Social, std::string());
        QCOMPARE(d.UF, std::string());
    }

    void line_ends()
    {
        // A lone CR ends a line.
        const auto linhas = Marcadas({Cabecalho(), Registro('C'), Registro('C')});
        Dados_Declaracao d;
        QCOMPARE(Verificar(Juntar(linhas, "\r"), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Total_2, 2);
        // A lone LF does not: the second "C" stays inside the first line.
        const auto com_lf = Marcadas({Cabecalho(), Registro('C') + "\n" + Registro('C')});
        QCOMPARE(Verificar(Juntar(com_lf), d), Resultado_Verificacao::Aceito);
        QCOMPARE(d.Total_2, 1);
        QCOMPARE(Tipo(Juntar({Cabecalho(), Registro('B') + "\nX"})), int16_t(1));
    }

    void line_ends_across_read_blocks()
    {
        // A 1023-byte header and lines of 1022 bytes plus CR LF put the CR of line 1024 on the
        // last byte of the first 1 MB read block and its LF on the first of the next; the
        // shifts move the line end to either side of the block's edge.
        std::vector<std::string> linhas{Cabecalho()};
        std::size_t bytes = linhas[0].size() + 2;
        while (bytes < (1u << 20) + 5000) {
            linhas.push_back(Registro('C') + std::string(872, 'y'));
            bytes += linhas.back().size() + 2;
        }
        linhas.push_back(Registro('C'));
        linhas = Marcadas(linhas);
        for (int desvio = -2; desvio <= 2; ++desvio) {
            auto l = linhas;
            l[0].resize(1023 + desvio, ' ');
            l = Marcadas(l);
            Dados_Declaracao d;
            QCOMPARE(Verificar(Juntar(l), d), Resultado_Verificacao::Aceito);
            QCOMPARE(d.Total_2, static_cast<int32_t>(l.size() - 1));
            QCOMPARE(Verificar(Juntar(l, "\r"), d), Resultado_Verificacao::Aceito);
        }
    }

    void overlong_line_is_a_run_time_failure()
    {
        const auto no_limite = Marcadas({Cabecalho(), Registro('C') + std::string(32767 - 150, 'z'), Registro('C')});
        QCOMPARE(Verificar(Juntar(no_limite)), Resultado_Verificacao::Aceito);
        const auto longa = Marcadas({Cabecalho(), Registro('C') + std::string(32768 - 150, 'z'), Registro('C')});
        try {
            Verificar(Juntar(longa));
            QFAIL("a 32768-byte line was accepted");
        } catch (const Erro_Execucao &e) {
            QCOMPARE(e.numero, Erro::Estouro);
        }
        // The last line is cut to 145 characters first, so its length never overflows.
        const auto ultima_longa = Marcadas({Cabecalho(), Registro('C') + std::string(40000, 'z')});
        QCOMPARE(Verificar(Juntar(ultima_longa)), Resultado_Verificacao::Aceito);
    }

    void unreadable_or_empty_file_is_a_run_time_failure()
    {
        Dados_Declaracao d;
        const std::string ausente = pasta_.filePath("NAOEXISTE.MOV").toStdString();
        try {
            Verificar_Declaracao(ausente, d);
            QFAIL("a missing file was checked");
        } catch (const Erro_Execucao &e) {
            QCOMPARE(e.numero, Erro::Arquivo_Nao_Encontrado);
        }
        const std::string vazio = Gravar("");
        try {
            Verificar_Declaracao(vazio, d);
            QFAIL("an empty file was checked");
        } catch (const Erro_Execucao &e) {
            QCOMPARE(e.numero, Erro::Leitura_Apos_Fim);
        }
        try {
            Verificar_Declaracao(pasta_.path().toStdString(), d);
            QFAIL("a folder was checked");
        } catch (const Erro_Execucao &) {
        }
    }

    void long_and_dotless_names_are_checked()
    {
        const std::string bytes = Juntar(Marcadas({Cabecalho(), Registro('C')}));
        for (const char *nome : {"ABCDEFGH.IJKL", "SEMPONTO"}) {
            const std::string caminho = Caminho_Declaracao(pasta_.path().toStdString(), nome);
            std::ofstream(caminho, std::ios::binary) << bytes;
            Dados_Declaracao d;
            QCOMPARE(Verificar_Declaracao(caminho, d), Resultado_Verificacao::Aceito);
        }
    }
};

QTEST_GUILESS_MAIN(TstVerificacao)
#include "tst_verificacao.moc"
