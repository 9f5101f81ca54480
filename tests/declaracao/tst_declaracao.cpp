// The declaration tool: generated and stamped files pass the program's checks, altered ones are
// refused, bad input gets a clear error and a non-zero exit code.
#include "tools/declaracao/Carimbo.h"
#include "tools/declaracao/Conferencia.h"
#include "tools/declaracao/Falha.h"
#include "tools/declaracao/Opcoes.h"

#include <QDate>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace declaracao;

namespace {
std::string Ler(const std::string &caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void Gravar(const std::string &caminho, const std::string &bytes)
{
    std::ofstream(caminho, std::ios::binary) << bytes;
}
} // namespace

class TstDeclaracao : public QObject {
    Q_OBJECT
    QTemporaryDir pasta_;

    std::string Caminho(const char *nome) { return pasta_.filePath(nome).toStdString(); }

    Conferencia Gerar(std::vector<std::string> args)
    {
        Gerar_Arquivo(Ler_Opcoes_Geracao(args));
        return Conferir(args[1]);
    }

    struct Saida { int codigo; QByteArray out, err; };
    Saida Executar(const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(pasta_.path());
        p.start(qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/declaracao/zelta-declaracao", args);
        if (!p.waitForFinished(60000))
            return {-1, {}, {}};
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

private slots:
    void default_file_is_a_valid_movement_file()
    {
        const Conferencia c = Gerar({"--saida", Caminho("EXEMPLO.MOV")});
        QCOMPARE(c.resultado, Resultado_Verificacao::Aceito);
        const Dados_Declaracao &d = c.dados;
        QCOMPARE(d.Tipo_Arquivo, int16_t(1));
        QCOMPARE(d.Total_1, 1);
        QCOMPARE(d.Total_2, 3);
        QCOMPARE(d.Total_3, 5);
        QCOMPARE(d.Total_5, 0);
        const QDate hoje = QDate::currentDate();
        QCOMPARE(QString::fromStdString(d.Mes_Competencia + d.Ano_Competencia), hoje.toString("MMyyyy"));
        QCOMPARE(d.Identificador.size(), std::size_t(14));
        QCOMPARE(d.Razao_Social.size(), std::size_t(35));
        // 150-character records joined by CR LF.
        const std::string bytes = Ler(Caminho("EXEMPLO.MOV"));
        QCOMPARE(bytes.size(), std::size_t(5 * 152));
        for (std::size_t i = 150; i < bytes.size(); i += 152)
            QCOMPARE(bytes.substr(i, 2), std::string("\r\n"));
    }

    void options_reach_the_records()
    {
        Conferencia c = Gerar({"--saida", Caminho("M.MOV"), "--competencia", "022023", "--tipo-identificador", "2",
                               "--identificador", "123456789012", "--razao-social", "AÇÃO LTDA", "--cep", "70000000",
                               "--uf", "df", "--estabelecimentos", "2", "--movimentos", "6", "--pis-brancos", "2",
                               "--pis-zerados", "3", "--acertos", "1"});
        QCOMPARE(c.resultado, Resultado_Verificacao::Aceito);
        QCOMPARE(c.dados.Mes_Competencia, std::string("02"));
        QCOMPARE(c.dados.Ano_Competencia, std::string("2023"));
        QCOMPARE(c.dados.Tipo_Identificador, std::string("2"));
        QCOMPARE(c.dados.Identificador, std::string("00123456789012"));
        QCOMPARE(c.dados.Razao_Social.substr(0, 9), std::string("A\xC7\xC3O LTDA"));
        QCOMPARE(c.dados.UF, std::string("DF"));
        QCOMPARE(c.dados.Total_1, 2);
        QCOMPARE(c.dados.Total_2, 6);
        QCOMPARE(c.dados.Total_4, 1);
        QCOMPARE(c.dados.Total_5, 5);
        QCOMPARE(c.dados.Total_3, 2 + 6 + 1 + 1);

        c = Gerar({"--saida", Caminho("A.ACE"), "--tipo", "acerto", "--acertos", "4"});
        QCOMPARE(c.resultado, Resultado_Verificacao::Aceito);
        QCOMPARE(c.dados.Tipo_Arquivo, int16_t(2));
        QCOMPARE(c.dados.Total_1, 4);
        QCOMPARE(c.dados.Total_2, 5);

        c = Gerar({"--saida", Caminho("N.MOV"), "--nao-validar"});
        QCOMPARE(c.resultado, Resultado_Verificacao::Nao_Validado);
    }

    void bad_options_are_refused()
    {
        const std::vector<std::vector<std::string>> ruins = {
            {},
            {"--tipo", "acerto"},
            {"--saida", "x", "--desconhecida"},
            {"--saida", "x", "--competencia", "132024"},
            {"--saida", "x", "--competencia", "3-2024"},
            {"--saida", "x", "--razao-social", std::string(36, 'R')},
            {"--saida", "x", "--movimentos", "2", "--pis-brancos", "2", "--pis-zerados", "1"},
            {"--saida", "x", "--movimentos", "-1"},
            {"--saida", "x", "--tipo", "acerto", "--movimentos", "1"},
            {"--saida", "x", "--movimentos", "0", "--acertos", "2"},
            {"--saida", "x", "--cep", "123"},
            {"--saida"},
        };
        for (const auto &args : ruins)
            QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Ler_Opcoes_Geracao(args));
        // Into a folder: a default name that fits the upload's 12-character name field.
        const Opcoes_Geracao o = Ler_Opcoes_Geracao({"--saida", pasta_.path().toStdString(), "--competencia", "112024"});
        QCOMPARE(std::filesystem::path(o.saida).filename().string(), std::string("Z112024.MOV"));
        QVERIFY(Nome_Padrao(Opcoes_Geracao{}).size() <= 12);
    }

    void stamping_in_place()
    {
        const std::string linha(150, 'a');
        const std::string cabecalho = "H" + std::string(149, ' ');
        // A last line of 145 characters grows to 150; one beyond 150 keeps its tail.
        for (const std::string &ultima : {std::string(145, 'C'), "C" + std::string(160, 'd')}) {
            for (const char *fim : {"\r\n", "\r", ""}) {
                const std::string caminho = Caminho("S.MOV");
                Gravar(caminho, cabecalho + "\r\n" + ultima + fim);
                const int32_t marca = Carimbar(caminho);
                const std::string bytes = Ler(caminho);
                const std::string esperado = ultima.substr(0, 145) + QString("%1").arg(marca, 5, 10, QChar('0')).toStdString()
                                           + (ultima.size() > 150 ? ultima.substr(150) : std::string()) + fim;
                QCOMPARE(bytes, cabecalho + "\r\n" + esperado);
                QCOMPARE(Conferir(caminho).resultado, Resultado_Verificacao::Aceito);
            }
        }
        // Refused: a last line too short for the mark, an empty last line, NUL bytes, no file.
        Gravar(Caminho("C.MOV"), cabecalho + "\r\n" + std::string(144, 'C') + "\r\n");
        QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Carimbar(Caminho("C.MOV")));
        Gravar(Caminho("V.MOV"), cabecalho + "\r\n" + linha + "\r\n\r\n");
        QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Carimbar(Caminho("V.MOV")));
        Gravar(Caminho("B.MOV"), cabecalho + std::string(1, '\0') + "\r\n" + linha);
        QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Carimbar(Caminho("B.MOV")));
        QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Conferir(Caminho("B.MOV")));
        QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Carimbar(Caminho("NADA.MOV")));
        QVERIFY_THROWS_EXCEPTION(Falha_Ferramenta, Conferir(Caminho("NADA.MOV")));
    }

    void command_line()
    {
        Saida s = Executar({"gerar", "--saida", "EXEMPLO.MOV"});
        QCOMPARE(s.codigo, 0);
        s = Executar({"conferir", "--json", "EXEMPLO.MOV"});
        QCOMPARE(s.codigo, 0);
        const QJsonObject j = QJsonDocument::fromJson(s.out).object();
        const QStringList chaves = {"Tipo_Arquivo", "Mes_Competencia", "Ano_Competencia", "Tipo_Identificador",
                                    "Identificador", "Razao_Social", "Endereco", "CEP", "UF", "Total_1", "Total_2",
                                    "Total_3", "Total_4", "Total_5", "Valor_Integridade", "Marca_Validacao", "resultado"};
        QCOMPARE(j.keys().size(), chaves.size());
        for (const QString &k : chaves)
            QVERIFY2(j.contains(k), qPrintable(k));
        QCOMPARE(j["resultado"].toString(), QString("aceito"));
        QCOMPARE(j["Total_3"].toInt(), 5);
        QCOMPARE(j["Valor_Integridade"].toInt(), j["Marca_Validacao"].toInt());

        // One byte changed: 16; then stamped again: accepted; the mark blanked: 15.
        const std::string caminho = Caminho("EXEMPLO.MOV");
        std::string bytes = Ler(caminho);
        bytes[200] = bytes[200] == 'Q' ? 'R' : 'Q';
        Gravar(caminho, bytes);
        s = Executar({"conferir", "--json", "EXEMPLO.MOV"});
        QCOMPARE(s.codigo, 1);
        QCOMPARE(QJsonDocument::fromJson(s.out).object()["resultado"].toString(), QString("16"));
        QCOMPARE(Executar({"validar", "EXEMPLO.MOV"}).codigo, 0);
        QCOMPARE(Executar({"conferir", "EXEMPLO.MOV"}).codigo, 0);
        bytes = Ler(caminho);
        bytes.replace(bytes.size() - 7, 5, "     ");
        Gravar(caminho, bytes);
        s = Executar({"conferir", "EXEMPLO.MOV"});
        QCOMPARE(s.codigo, 1);
        QVERIFY(QString::fromUtf8(s.out).contains("15 - O arquivo escolhido para transmissão ainda não foi validado pelo PGV!"));

        // Text fields come out as UTF-8, JSON-escaped.
        QCOMPARE(Executar({"gerar", "--saida", "Q.MOV", "--razao-social", "JOÃO \"Q\" \\ LTDA"}).codigo, 0);
        s = Executar({"conferir", "--json", "Q.MOV"});
        QCOMPARE(QJsonDocument::fromJson(s.out).object()["Razao_Social"].toString().trimmed(), QString("JOÃO \"Q\" \\ LTDA"));

        s = Executar({"conferir", "NAOEXISTE.MOV"});
        QCOMPARE(s.codigo, 2);
        QVERIFY(s.err.contains("NAOEXISTE.MOV"));
        QCOMPARE(Executar({"validar"}).codigo, 2);
        QCOMPARE(Executar({"inventado"}).codigo, 2);
        QCOMPARE(Executar({}).codigo, 2);
        s = Executar({"--help"});
        QCOMPARE(s.codigo, 0);
        QVERIFY(QString::fromUtf8(s.out).contains("Uso: zelta-declaracao"));
        // Each command's own help, in both spellings; an unknown option still fails.
        for (const char *ajuda : {"--help", "-h"}) {
            s = Executar({"gerar", ajuda});
            QCOMPARE(s.codigo, 0);
            QVERIFY(QString::fromUtf8(s.out).contains("--competencia MMAAAA"));
            QVERIFY(!QString::fromUtf8(s.out).contains("conferir [--json]"));
            s = Executar({"conferir", ajuda});
            QCOMPARE(s.codigo, 0);
            QVERIFY(QString::fromUtf8(s.out).contains("conferir [--json] ARQUIVO"));
        }
        s = Executar({"gerar", "--saida", "X.MOV", "--inventada"});
        QCOMPARE(s.codigo, 2);
        QVERIFY(s.err.contains("inventada"));
        QVERIFY(!QFileInfo::exists(pasta_.filePath("X.MOV")));
        QCOMPARE(Executar({"validar", "--json", "EXEMPLO.MOV"}).codigo, 2);
        s = Executar({"gerar", "--saida", "NOMEMUITOLONGO.MOV"});
        QCOMPARE(s.codigo, 0);
        QVERIFY(s.err.contains("12 caracteres"));
    }
};

QTEST_GUILESS_MAIN(TstDeclaracao)
#include "tst_declaracao.moc"
