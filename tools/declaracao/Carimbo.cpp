#include "tools/declaracao/Carimbo.h"

#include "engine/intake/Verificacao.h"
#include "engine/platform/Descritor.h"
#include "engine/platform/Erro_Execucao.h"
#include "tools/declaracao/Falha.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace declaracao {

namespace {
constexpr std::size_t Bloco = 1 << 20;
constexpr off_t Inicio_Marca = 145;

sistema::Descritor Abrir(const std::string &caminho, bool escrita)
{
    sistema::Descritor d = escrita ? sistema::Abrir_Leitura_Escrita(caminho.c_str())
                                   : sistema::Abrir_Leitura(caminho.c_str());
    if (!d.Aberto())
        throw Falha_Ferramenta(caminho + ": " + std::strerror(errno));
    return d;
}

void Ler_Em(int fd, char *destino, std::size_t n, off_t onde, const std::string &caminho)
{
    if (sistema::Ler_Em(fd, destino, n, onde) != static_cast<ssize_t>(n))
        throw Falha_Ferramenta(caminho + ": falha de leitura");
}

// Where the last line starts and ends (line end excluded), scanning back from the end.
std::pair<off_t, off_t> Ultima_Linha(int fd, off_t tamanho, const std::string &caminho)
{
    off_t fim = tamanho;
    char cauda[2] = {};
    if (tamanho >= 2) {
        Ler_Em(fd, cauda, 2, tamanho - 2, caminho);
        if (cauda[0] == '\r' && cauda[1] == '\n')
            fim -= 2;
        else if (cauda[1] == '\r')
            fim -= 1;
    } else if (tamanho == 1) {
        Ler_Em(fd, cauda, 1, 0, caminho);
        if (cauda[0] == '\r')
            fim = 0;
    }
    auto bloco = std::make_unique<char[]>(Bloco);
    for (off_t ate = fim; ate > 0;) {
        const off_t de = ate > static_cast<off_t>(Bloco) ? ate - static_cast<off_t>(Bloco) : 0;
        Ler_Em(fd, bloco.get(), static_cast<std::size_t>(ate - de), de, caminho);
        for (off_t i = ate - de; i-- > 0;) {
            if (bloco[i] != '\r')
                continue;
            // The LF right after a CR belongs to that line end.
            off_t inicio = de + i + 1;
            char seguinte = 0;
            if (inicio < fim) {
                Ler_Em(fd, &seguinte, 1, inicio, caminho);
                if (seguinte == '\n')
                    ++inicio;
            }
            return {inicio, fim};
        }
        ate = de;
    }
    return {0, fim};
}
} // namespace

void Exigir_Texto(const std::string &caminho)
{
    const sistema::Descritor arquivo = Abrir(caminho, false);
    auto bloco = std::make_unique<char[]>(Bloco);
    for (;;) {
        const ssize_t n = sistema::Ler(arquivo.Fd(), bloco.get(), Bloco);
        if (n < 0)
            throw Falha_Ferramenta(caminho + ": " + std::strerror(errno));
        if (n == 0)
            return;
        if (std::memchr(bloco.get(), '\0', static_cast<std::size_t>(n)))
            throw Falha_Ferramenta(caminho + ": não é um arquivo de texto (contém bytes NUL)");
    }
}

int32_t Carimbar(const std::string &caminho)
{
    Exigir_Texto(caminho);
    const sistema::Descritor arquivo = Abrir(caminho, true);
    const off_t tamanho = sistema::Tamanho(arquivo.Fd());
    if (tamanho < 0)
        throw Falha_Ferramenta(caminho + ": " + std::strerror(errno));
    const auto [inicio, fim] = Ultima_Linha(arquivo.Fd(), tamanho, caminho);
    if (fim - inicio < Inicio_Marca)
        throw Falha_Ferramenta(caminho + ": a última linha tem " + std::to_string(fim - inicio)
                               + " caracteres; a marca de validação precisa de pelo menos 145");

    Dados_Declaracao d;
    try {
        Verificar_Declaracao(caminho, d);
    } catch (const Erro_Execucao &e) {
        throw Falha_Ferramenta(caminho + ": " + e.what());
    }
    char marca[6];
    std::snprintf(marca, sizeof marca, "%05d", static_cast<int>(d.Valor_Integridade));

    std::string escrita(marca, 5);
    if (fim - inicio < Inicio_Marca + 5) {
        // The line grows to 150: what stood after its 145th character is only its line end.
        std::string final_(static_cast<std::size_t>(tamanho - inicio), '\0');
        Ler_Em(arquivo.Fd(), final_.data(), final_.size(), inicio, caminho);
        escrita = final_.substr(0, Inicio_Marca) + escrita + final_.substr(static_cast<std::size_t>(fim - inicio));
        if (sistema::Escrever_Em(arquivo.Fd(), escrita.data(), escrita.size(), inicio) != static_cast<ssize_t>(escrita.size()))
            throw Falha_Ferramenta(caminho + ": falha ao gravar: " + std::strerror(errno));
    } else if (sistema::Escrever_Em(arquivo.Fd(), marca, 5, inicio + Inicio_Marca) != 5) {
        throw Falha_Ferramenta(caminho + ": falha ao gravar: " + std::strerror(errno));
    }
    return d.Valor_Integridade;
}

} // namespace declaracao
