#include "tools/declaracao/Opcoes.h"

#include "engine/platform/Campos_Fixos.h"
#include "engine/platform/Texto1252.h"
#include "tools/declaracao/Falha.h"

#include <QCommandLineParser>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

namespace declaracao {

namespace {
constexpr long long Maior_Contagem = 100000000;
constexpr const char *Com_Valor[] = {"saida", "tipo", "competencia", "tipo-identificador", "identificador",
                                     "razao-social", "endereco", "cep", "uf", "estabelecimentos",
                                     "movimentos", "pis-brancos", "pis-zerados", "acertos"};


long long Contagem(const std::string &nome, const std::string &valor)
{
    if (!So_Digitos(valor) || valor.size() > 9 || std::stoll(valor) > Maior_Contagem)
        throw Falha_Ferramenta(nome + " espera um número de 0 a " + std::to_string(Maior_Contagem) + ": \"" + valor + "\"");
    return std::stoll(valor);
}

// A text option in Windows-1252, refused when it does not fit its field.
std::string Texto(const std::string &nome, const std::string &valor, std::size_t largura)
{
    const QString texto = QString::fromUtf8(valor);
    if (static_cast<std::size_t>(texto.size()) > largura)
        throw Falha_Ferramenta(nome + " tem mais de " + std::to_string(largura) + " caracteres");
    return Para_1252(texto);
}

void Exigir(bool condicao, const std::string &texto)
{
    if (!condicao)
        throw Falha_Ferramenta(texto);
}

void Conferir_Contagens(Opcoes_Geracao &o, const std::map<std::string, std::string> &dadas)
{
    const bool deu_movimentos = dadas.count("--movimentos"), deu_acertos = dadas.count("--acertos");
    if (o.tipo == 2) {
        Exigir(!deu_movimentos || o.movimentos == 0, "um arquivo de acerto não tem registros C (--movimentos)");
        o.movimentos = 0;
        if (!deu_acertos)
            o.acertos = 3;
        Exigir(o.acertos > 0, "um arquivo de acerto precisa de ao menos um registro X (--acertos)");
    } else {
        Exigir(o.movimentos > 0 || o.acertos == 0,
               "registros X sem registros C fazem um arquivo de acerto: use --tipo acerto");
    }
    Exigir(o.pis_brancos + o.pis_zerados <= o.movimentos,
           "--pis-brancos mais --pis-zerados passa do número de registros C (--movimentos)");
}
} // namespace

std::string Nome_Padrao(const Opcoes_Geracao &o)
{
    return "Z" + Competencia_Efetiva(o) + (o.tipo == 2 ? ".ACE" : ".MOV");
}

void Preparar_Opcoes_Geracao(QCommandLineParser &p)
{
    for (const char *nome : Com_Valor)
        p.addOption(QCommandLineOption(QString::fromLatin1(nome), QString(), QStringLiteral("valor")));
    p.addOption(QCommandLineOption(QStringLiteral("nao-validar")));
    p.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
}

void Analisar(QCommandLineParser &p, const QStringList &args)
{
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const bool certo = p.parse(args); // before errorText(), which it fills
    Exigir(certo, p.errorText().toStdString());
}

Opcoes_Geracao Ler_Opcoes_Geracao(const QCommandLineParser &p)
{
    const QStringList sobra = p.positionalArguments();
    Exigir(sobra.isEmpty(), "argumento inesperado: " + (sobra.isEmpty() ? std::string() : sobra[0].toStdString()));
    std::map<std::string, std::string> dadas;
    for (const char *nome : Com_Valor)
        if (p.isSet(QString::fromLatin1(nome)))
            dadas[std::string("--") + nome] = p.value(QString::fromLatin1(nome)).toStdString();
    Opcoes_Geracao o;
    o.validar = !p.isSet(QStringLiteral("nao-validar"));

    Exigir(dadas.count("--saida") && !dadas["--saida"].empty(), "falta --saida ARQUIVO");
    o.saida = QFile::encodeName(p.value(QStringLiteral("saida"))).toStdString();
    if (dadas.count("--tipo")) {
        const std::string &t = dadas["--tipo"];
        Exigir(t == "movimento" || t == "acerto", "--tipo espera movimento ou acerto: \"" + t + "\"");
        o.tipo = t == "acerto" ? 2 : 1;
    }
    if (dadas.count("--competencia")) {
        const std::string &c = dadas["--competencia"];
        Exigir(c.size() == 6 && So_Digitos(c) && c.substr(0, 2) >= "01" && c.substr(0, 2) <= "12",
               "--competencia espera MMAAAA, por exemplo 032024: \"" + c + "\"");
        o.competencia = c;
    }
    if (dadas.count("--tipo-identificador")) {
        o.tipo_identificador = dadas["--tipo-identificador"];
        Exigir(o.tipo_identificador == "1" || o.tipo_identificador == "2",
               "--tipo-identificador espera 1 (CNPJ) ou 2 (CEI)");
    }
    if (dadas.count("--identificador")) {
        const std::string &id = dadas["--identificador"];
        Exigir(So_Digitos(id) && id.size() <= 14, "--identificador espera até 14 dígitos");
        o.identificador = std::string(14 - id.size(), '0') + id;
    }
    if (dadas.count("--razao-social"))
        o.razao_social = Texto("--razao-social", dadas["--razao-social"], 35);
    if (dadas.count("--endereco"))
        o.endereco = Texto("--endereco", dadas["--endereco"], 40);
    if (dadas.count("--cep")) {
        o.cep = dadas["--cep"];
        Exigir(o.cep.size() == 8 && So_Digitos(o.cep), "--cep espera 8 dígitos");
    }
    if (dadas.count("--uf")) {
        o.uf = dadas["--uf"];
        Exigir(o.uf.size() == 2 && std::isalpha(static_cast<unsigned char>(o.uf[0]))
                   && std::isalpha(static_cast<unsigned char>(o.uf[1])),
               "--uf espera a sigla de 2 letras do estado");
        for (char &c : o.uf)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const std::pair<const char *, long long Opcoes_Geracao::*> contagens[] = {
        {"--estabelecimentos", &Opcoes_Geracao::estabelecimentos}, {"--movimentos", &Opcoes_Geracao::movimentos},
        {"--pis-brancos", &Opcoes_Geracao::pis_brancos},         {"--pis-zerados", &Opcoes_Geracao::pis_zerados},
        {"--acertos", &Opcoes_Geracao::acertos}};
    for (const auto &[nome, membro] : contagens)
        if (dadas.count(nome))
            o.*membro = Contagem(nome, dadas[nome]);
    Conferir_Contagens(o, dadas);

    if (std::filesystem::is_directory(o.saida))
        o.saida = (std::filesystem::path(o.saida) / Nome_Padrao(o)).string();
    return o;
}

Opcoes_Geracao Ler_Opcoes_Geracao(const std::vector<std::string> &args)
{
    QStringList lista{QStringLiteral("gerar")};
    for (const std::string &a : args)
        lista << QString::fromStdString(a);
    QCommandLineParser p;
    Preparar_Opcoes_Geracao(p);
    Analisar(p, lista);
    return Ler_Opcoes_Geracao(p);
}

} // namespace declaracao
