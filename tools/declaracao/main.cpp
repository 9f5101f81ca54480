// zelta-declaracao: makes, stamps and inspects declaration files for testing ZELTA Net.
#include "tools/declaracao/Carimbo.h"
#include "tools/declaracao/Conferencia.h"
#include "tools/declaracao/Falha.h"
#include "tools/declaracao/Opcoes.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr int Sai_Recusado = 1; // conferir: the program would refuse the file
constexpr int Sai_Erro = 2;     // bad input or usage

const char *Ajuda = R"(Uso: zelta-declaracao COMANDO [OPÇÕES]

Cria, valida e confere arquivos de declaração para testar o ZELTA Net.

Comandos:
  gerar --saida ARQUIVO [opções]
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
  validar ARQUIVO
      Calcula o valor de integridade e o grava, com 5 dígitos, nas posições 146-150 da
      última linha. A última linha precisa ter pelo menos 145 caracteres.
  conferir [--json] ARQUIVO
      Mostra o que o ZELTA Net encontra no arquivo: tipo, campos do cabeçalho, totais,
      valor calculado, marca e o resultado (aceito, recusa 15 ou recusa 16).
  --help
      Mostra esta ajuda.

Saída: 0 sucesso (conferir: arquivo aceito); 1 conferir: arquivo recusado;
2 erro (arquivo ausente, ilegível, não é texto, opção inválida).
)";

int Gerar(const std::vector<std::string> &args)
{
    const Opcoes_Geracao o = Ler_Opcoes_Geracao(args);
    const std::string nome = std::filesystem::path(o.saida).filename().string();
    if (nome.size() > 12)
        std::fprintf(stderr, "zelta-declaracao: aviso: o nome \"%s\" tem mais de 12 caracteres; "
                             "o ZELTA Net não consegue transmiti-lo\n", nome.c_str());
    Gerar_Arquivo(o);
    std::printf("%s\n", o.saida.c_str());
    return 0;
}

int Validar(const std::vector<std::string> &args)
{
    if (args.size() != 1)
        throw Falha_Ferramenta("uso: zelta-declaracao validar ARQUIVO");
    std::printf("%05d\n", static_cast<int>(Carimbar(args[0])));
    return 0;
}

int Conferir_Arquivo(const std::vector<std::string> &args)
{
    const bool json = !args.empty() && args[0] == "--json";
    if (args.size() != (json ? 2u : 1u))
        throw Falha_Ferramenta("uso: zelta-declaracao conferir [--json] ARQUIVO");
    const Conferencia c = Conferir(args.back());
    std::fputs((json ? Relatorio_Json(c) + "\n" : Relatorio_Texto(c)).c_str(), stdout);
    return c.resultado == Resultado_Verificacao::Aceito ? 0 : Sai_Recusado;
}
} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "ajuda") {
        std::fputs(Ajuda, args.empty() ? stderr : stdout);
        return args.empty() ? Sai_Erro : 0;
    }
    const std::vector<std::string> resto(args.begin() + 1, args.end());
    try {
        if (args[0] == "gerar")
            return Gerar(resto);
        if (args[0] == "validar")
            return Validar(resto);
        if (args[0] == "conferir")
            return Conferir_Arquivo(resto);
        throw Falha_Ferramenta("comando desconhecido: " + args[0] + " (veja --help)");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "zelta-declaracao: %s\n", e.what());
        return Sai_Erro;
    }
}
