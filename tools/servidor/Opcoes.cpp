#include "tools/servidor/Opcoes.h"

#include <QCommandLineParser>
#include <QStringList>

#include <charconv>

namespace servidor {

namespace {

struct Definicao {
    const char *nome;
    const char *valor; // nullptr for a switch
    const char *descricao;
};

const Definicao Definicoes[] = {
    {"porta", "N", "porta TCP em que o servidor escuta (padrão 2500; 0 escolhe uma livre); "
                   "a porta vai sempre para a saída como \"porta N\""},
    {"escuta", "ENDEREÇO", "endereço numérico em que escutar (padrão 127.0.0.1; ::1, 0.0.0.0, ...)"},
    {"dados", "PASTA", "pasta de dados: registro.db e declaracoes/ (padrão ./zelta-servidor-dados)"},
    {"cota-dados", "MB", "tamanho máximo da pasta de dados, envios em curso incluídos (padrão 1024); "
                         "acima dela o último bloco recebe \"8\""},
    {"cota-envios", "MB", "parte da cota reservada aos envios em curso (padrão: um quarto da cota-dados); "
                          "o resto fica para as declarações recebidas"},
    {"competencia", "MMAAAA", "competência recebida (padrão: todas)"},
    {"competencia-anterior", nullptr, "arquivo de movimento de competência anterior recebe \"6\" em vez de \"5\""},
    {"tempo-ocioso", "MS", "prazo de cada cabeçalho de bloco, contado da resposta anterior, e de "
                           "cada bloco, contado do seu cabeçalho (padrão 30000)"},
    {"tempo-conexao", "MS", "duração máxima de uma conexão (padrão 14400000: 4 horas)"},
    {"maximo-clientes", "N", "conexões atendidas ao mesmo tempo (padrão 256); com todas ocupadas, "
                             "uma nova toma o lugar de uma que não segue o ritmo do protocolo"},
    {"pausa-cliente", "MS", "o maior silêncio entre blocos de um cliente que segue o protocolo "
                            "(padrão 15000); com todas as vagas ocupadas, só quem passa dele "
                            "(ou ainda não mandou cabeçalho) dá lugar a uma conexão nova"},
    {"log-maximo", "KB", "tamanho máximo do log quando a saída de erros é um arquivo (padrão 65536); "
                         "ao passar dele o arquivo é esvaziado e recomeça"},
    {"resposta-fixa", "TEXTO", "teste: responde TEXTO ao último bloco, sem julgar nem registrar"},
    {"sem-resposta", nullptr, "teste: não responde ao último bloco (conexão aberta por até 15 minutos)"},
    {"resposta-partida", "MS", "teste: envia a resposta final em duas metades, MS ms uma da outra"},
    {"reset-apos", "K", "teste: reinicia a conexão (RST) ao receber o bloco K, sem responder"},
    {"fechar-apos", "K", "teste: fecha a conexão ao receber o bloco K, sem responder"},
    {"aceite-lento", "MS", "teste: cada conexão espera MS ms antes de ser lida"},
    {"help", nullptr, "mostra esta ajuda"},
};

bool Inteiro(const std::string &s, int minimo, int maximo, int &v)
{
    auto [fim, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && fim == s.data() + s.size() && v >= minimo && v <= maximo;
}

// The option that takes a value named exactly by `arg` ("--porta"), if any.
const Definicao *Opcao_Com_Valor(const std::string &arg)
{
    for (const auto &d : Definicoes)
        if (d.valor && arg == std::string("--") + d.nome)
            return &d;
    return nullptr;
}

} // namespace

std::string Texto_Ajuda()
{
    std::string t = "uso: zelta-servidor [opções]\n"
                    "Servidor local de recepção: recebe as declarações em blocos, julga o arquivo "
                    "compactado e responde com o código de recebimento.\n\nOpções:\n";
    for (const auto &d : Definicoes) {
        std::string nome = std::string("  --") + d.nome + (d.valor ? std::string(" ") + d.valor : "");
        const size_t largura = QString::fromStdString(nome).size();
        nome += largura < 32 ? std::string(32 - largura, ' ') : "\n" + std::string(32, ' ');
        t += nome + d.descricao + "\n";
    }
    return t;
}

std::optional<Opcoes> Ler_Opcoes(const std::vector<std::string> &args, std::string &erro)
{
    QCommandLineParser p;
    for (const auto &d : Definicoes)
        p.addOption(d.valor ? QCommandLineOption(d.nome, d.descricao, d.valor) : QCommandLineOption(d.nome, d.descricao));
    QStringList lista{QStringLiteral("zelta-servidor")};
    for (const auto &a : args)
        lista << QString::fromLocal8Bit(a.data(), qsizetype(a.size()));
    if (!args.empty() && Opcao_Com_Valor(args.back())) {
        erro = "opção sem valor: " + args.back();
        return std::nullopt;
    }
    if (!p.parse(lista)) {
        const QStringList desconhecidas = p.unknownOptionNames();
        erro = desconhecidas.isEmpty() ? p.errorText().toStdString()
                                       : "opção desconhecida: " + desconhecidas.first().toStdString();
        return std::nullopt;
    }
    if (!p.positionalArguments().isEmpty()) {
        erro = "argumento inesperado: " + p.positionalArguments().first().toStdString();
        return std::nullopt;
    }
    Opcoes o;
    o.ajuda = p.isSet("help");
    o.sem_resposta = p.isSet("sem-resposta");
    o.competencia.anterior_como_acerto = p.isSet("competencia-anterior");
    for (const auto &d : Definicoes) {
        if (!d.valor || !p.isSet(d.nome))
            continue;
        const std::string a = std::string("--") + d.nome, v = p.value(d.nome).toStdString();
        int n = 0;
        bool ok = true;
        if (a == "--porta")
            ok = Inteiro(v, 0, 65535, n), o.porta = uint16_t(n);
        else if (a == "--escuta")
            o.escuta = v;
        else if (a == "--dados")
            o.dados = p.value(d.nome).toLocal8Bit().toStdString();
        else if (a == "--cota-dados")
            ok = Inteiro(v, 1, 1 << 30, n), o.cota_dados = uint64_t(n) << 20;
        else if (a == "--cota-envios")
            ok = Inteiro(v, 1, 1 << 30, n), o.cota_envios = uint64_t(n) << 20;
        else if (a == "--competencia")
            ok = Competencia_Valida(v), o.competencia.aceita = v;
        else if (a == "--tempo-ocioso")
            ok = Inteiro(v, 1, 3600000, o.tempo_ocioso_ms);
        else if (a == "--tempo-conexao")
            ok = Inteiro(v, 1, 7 * 24 * 3600 * 1000, o.tempo_conexao_ms);
        else if (a == "--maximo-clientes")
            ok = Inteiro(v, 1, 100000, o.maximo_clientes);
        else if (a == "--pausa-cliente")
            ok = Inteiro(v, 1, 3600000, o.pausa_cliente_ms);
        else if (a == "--log-maximo")
            ok = Inteiro(v, 1, 1 << 30, n), o.log_maximo = uint64_t(n) << 10;
        else if (a == "--resposta-fixa")
            o.resposta_fixa = p.value(d.nome).toLocal8Bit().toStdString();
        else if (a == "--resposta-partida")
            ok = Inteiro(v, 0, 600000, o.resposta_partida_ms);
        else if (a == "--reset-apos")
            ok = Inteiro(v, 1, 32767, o.reset_apos);
        else if (a == "--fechar-apos")
            ok = Inteiro(v, 1, 32767, o.fechar_apos);
        else if (a == "--aceite-lento")
            ok = Inteiro(v, 0, 600000, o.aceite_lento_ms);
        if (!ok) {
            erro = "valor inválido para " + a + ": " + v;
            return std::nullopt;
        }
    }
    return o;
}

} // namespace servidor
