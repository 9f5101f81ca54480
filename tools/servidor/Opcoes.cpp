#include "tools/servidor/Opcoes.h"

#include <charconv>

namespace servidor {

const char *const Uso_Servidor =
    "uso: zelta-servidor [--porta N] [--escuta ENDEREÇO] [--dados PASTA]\n"
    "                    [--competencia MMAAAA] [--competencia-anterior]\n"
    "                    [--tempo-ocioso MS] [--resposta-fixa TEXTO] [--sem-resposta]\n"
    "                    [--resposta-partida MS] [--reset-apos K] [--fechar-apos K] [--aceite-lento MS]\n";

namespace {

bool Inteiro(const std::string &s, int minimo, int maximo, int &v)
{
    auto [fim, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && fim == s.data() + s.size() && v >= minimo && v <= maximo;
}

} // namespace

std::optional<Opcoes> Ler_Opcoes(const std::vector<std::string> &args, std::string &erro)
{
    Opcoes o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--sem-resposta") {
            o.sem_resposta = true;
            continue;
        }
        if (a == "--competencia-anterior") {
            o.competencia.anterior_como_acerto = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            erro = "opção desconhecida ou sem valor: " + a;
            return std::nullopt;
        }
        const std::string &v = args[++i];
        int n = 0;
        bool ok = true;
        if (a == "--porta")
            ok = Inteiro(v, 0, 65535, n), o.porta = uint16_t(n);
        else if (a == "--escuta")
            o.escuta = v;
        else if (a == "--dados")
            o.dados = v;
        else if (a == "--competencia")
            ok = Competencia_Valida(v), o.competencia.aceita = v;
        else if (a == "--tempo-ocioso")
            ok = Inteiro(v, 1, 3600000, o.tempo_ocioso_ms);
        else if (a == "--resposta-fixa")
            o.resposta_fixa = v;
        else if (a == "--resposta-partida")
            ok = Inteiro(v, 0, 600000, o.resposta_partida_ms);
        else if (a == "--reset-apos")
            ok = Inteiro(v, 1, 32767, o.reset_apos);
        else if (a == "--fechar-apos")
            ok = Inteiro(v, 1, 32767, o.fechar_apos);
        else if (a == "--aceite-lento")
            ok = Inteiro(v, 0, 600000, o.aceite_lento_ms);
        else {
            erro = "opção desconhecida: " + a;
            return std::nullopt;
        }
        if (!ok) {
            erro = "valor inválido para " + a + ": " + v;
            return std::nullopt;
        }
    }
    return o;
}

} // namespace servidor
