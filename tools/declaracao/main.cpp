// zelta-declaracao: makes, stamps and inspects declaration files for testing ZELTA Net.
#include "engine/platform/Console.h"
#include "tools/declaracao/Carimbo.h"
#include "tools/declaracao/Conferencia.h"
#include "tools/declaracao/Falha.h"
#include "tools/declaracao/Opcoes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {
using namespace declaracao;

constexpr int Sai_Recusado = 1; // conferir: the program would refuse the file
constexpr int Sai_Erro = 2;     // bad input or usage

const char *Uso = R"(Uso: zelta-declaracao COMANDO [OPÇÕES]

Cria, valida e confere arquivos de declaração para testar o ZELTA Net.
)";

const char *Ajuda_Gerar = R"(  gerar --saida ARQUIVO [opções]
      Grava um arquivo de declaração com registros de 150 caracteres separados por CR LF:
      o cabeçalho, os registros B (estabelecimentos), C (movimentos) e X (acertos), e
      marca a última linha como validada (posições 146-150).
      Se ARQUIVO for uma pasta, o arquivo recebe o nome ZMMAAAA.MOV (ou .ACE).
        --tipo movimento|acerto       tipo do arquivo (padrão: movimento)
        --competencia MMAAAA          mês de competência (padrão: o mês atual)
        --tipo-identificador 1|2      1 = CNPJ, 2 = CEI (padrão: 1)
        --identificador NÚMERO        até 14 dígitos (padrão: 11222333000181)
        --razao-social TEXTO          até 35 caracteres
        --endereco TEXTO              até 40 caracteres
        --cep NNNNNNNN                8 dígitos
        --uf UF                       sigla do estado
        --estabelecimentos N          registros B (padrão: 1)
        --movimentos N                registros C (padrão: 3 no movimento, 0 no acerto)
        --pis-brancos N               registros C com o PIS/PASEP em branco
        --pis-zerados N               registros C com o PIS/PASEP 00000000000
        --acertos N                   registros X (padrão: 0 no movimento, 3 no acerto)
        --nao-validar                 deixa a última linha sem a marca de validação
)";

const char *Ajuda_Validar = R"(  validar ARQUIVO
      Calcula o valor de integridade e o grava, com 5 dígitos, nas posições 146-150 da
      última linha. A última linha precisa ter pelo menos 145 caracteres.
)";

const char *Ajuda_Conferir = R"(  conferir [--json] ARQUIVO
      Mostra o que o ZELTA Net encontra no arquivo: tipo, campos do cabeçalho, totais,
      valor calculado, marca e o resultado (aceito, recusa 15 ou recusa 16).
)";

const char *Saidas = R"(
Cada comando aceita --help (ou -h), que mostra a sua parte desta ajuda.
Saída: 0 sucesso (conferir: arquivo aceito); 1 conferir: arquivo recusado;
2 erro (arquivo ausente, ilegível, não é texto, opção inválida).
)";

void Mostrar_Ajuda(FILE *saida)
{
    std::fprintf(saida, "%s\nComandos:\n%s%s%s  --help\n      Mostra esta ajuda.\n%s", Uso, Ajuda_Gerar,
                 Ajuda_Validar, Ajuda_Conferir, Saidas);
}

void Mostrar_Ajuda_Comando(const char *parte)
{
    std::printf("%s\n%s%s", Uso, parte, Saidas);
}

QCommandLineOption Opcao_Ajuda()
{
    return QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
}

std::string Caminho(const QString &argumento)
{
    return QFile::encodeName(argumento).toStdString();
}

int Gerar(const QStringList &args)
{
    QCommandLineParser p;
    Preparar_Opcoes_Geracao(p);
    Analisar(p, args);
    if (p.isSet(QStringLiteral("help"))) {
        Mostrar_Ajuda_Comando(Ajuda_Gerar);
        return 0;
    }
    const Opcoes_Geracao o = Ler_Opcoes_Geracao(p);
    const std::string nome = std::filesystem::path(o.saida).filename().string();
    if (nome.size() > 12)
        std::fprintf(stderr, "zelta-declaracao: aviso: o nome \"%s\" tem mais de 12 caracteres; "
                             "o ZELTA Net não consegue transmiti-lo\n", nome.c_str());
    Gerar_Arquivo(o);
    std::printf("%s\n", o.saida.c_str());
    return 0;
}

int Validar(const QStringList &args)
{
    QCommandLineParser p;
    p.addOption(Opcao_Ajuda());
    Analisar(p, args);
    if (p.isSet(QStringLiteral("help"))) {
        Mostrar_Ajuda_Comando(Ajuda_Validar);
        return 0;
    }
    if (p.positionalArguments().size() != 1)
        throw Falha_Ferramenta("uso: zelta-declaracao validar ARQUIVO");
    std::printf("%05d\n", static_cast<int>(Carimbar(Caminho(p.positionalArguments()[0]))));
    return 0;
}

int Conferir_Arquivo(const QStringList &args)
{
    QCommandLineParser p;
    p.addOption(Opcao_Ajuda());
    p.addOption(QCommandLineOption(QStringLiteral("json")));
    Analisar(p, args);
    if (p.isSet(QStringLiteral("help"))) {
        Mostrar_Ajuda_Comando(Ajuda_Conferir);
        return 0;
    }
    if (p.positionalArguments().size() != 1)
        throw Falha_Ferramenta("uso: zelta-declaracao conferir [--json] ARQUIVO");
    const Conferencia c = Conferir(Caminho(p.positionalArguments()[0]));
    std::fputs((p.isSet(QStringLiteral("json")) ? Relatorio_Json(c) + "\n" : Relatorio_Texto(c)).c_str(), stdout);
    return c.resultado == Resultado_Verificacao::Aceito ? 0 : Sai_Recusado;
}
} // namespace

int main(int argc, char **argv)
{
    Preparar_Console();
    QCoreApplication app(argc, argv);
    // The parser's own error texts in Portuguese, when the translations are installed.
    QTranslator traducao;
    if (traducao.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&traducao);

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        Mostrar_Ajuda(stderr);
        return Sai_Erro;
    }
    const QString &comando = args[0];
    if (comando == QLatin1String("--help") || comando == QLatin1String("-h") || comando == QLatin1String("ajuda")) {
        Mostrar_Ajuda(stdout);
        return 0;
    }
    try {
        if (comando == QLatin1String("gerar"))
            return Gerar(args);
        if (comando == QLatin1String("validar"))
            return Validar(args);
        if (comando == QLatin1String("conferir"))
            return Conferir_Arquivo(args);
        throw Falha_Ferramenta("comando desconhecido: " + comando.toStdString() + " (veja --help)");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "zelta-declaracao: %s\n", e.what());
        return Sai_Erro;
    }
}
