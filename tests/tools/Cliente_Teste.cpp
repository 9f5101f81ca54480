#include "tests/tools/Cliente_Teste.h"

#include "tools/servidor/Declaracao.h"
#include "tools/servidor/Temporario.h"

#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::string Zip_Com(const std::map<std::string, std::string> &arquivos, bool comprimir)
{
    QTemporaryDir dir;
    const std::string caminho = dir.filePath("t.zip").toStdString();
    int err = 0;
    zip_t *z = zip_open(caminho.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z)
        throw std::runtime_error("zip_open");
    for (const auto &[nome, conteudo] : arquivos) {
        zip_source_t *s = zip_source_buffer(z, conteudo.data(), conteudo.size(), 0);
        zip_int64_t i = zip_file_add(z, nome.c_str(), s, ZIP_FL_OVERWRITE);
        if (i < 0) {
            zip_source_free(s);
            throw std::runtime_error("zip_file_add");
        }
        zip_set_file_compression(z, zip_uint64_t(i), comprimir ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    }
    if (zip_close(z) < 0) {
        zip_discard(z);
        throw std::runtime_error("zip_close");
    }
    std::ifstream f(caminho, std::ios::binary);
    std::ostringstream b;
    b << f.rdbuf();
    return b.str();
}

std::optional<std::string> Desempacotar_Bytes(const std::string &arquivo_zip, std::string &erro, size_t limite)
{
    QTemporaryDir dir;
    servidor::Cota cota(servidor::Cota_Padrao);
    servidor::Arquivo_Temporario zip(dir.path().toStdString(), cota), destino(dir.path().toStdString(), cota);
    if (!zip.Acrescentar(arquivo_zip))
        throw std::runtime_error("zip temporário");
    const auto d = servidor::Desempacotar(zip, destino, erro, limite);
    if (!d || !d->gravada)
        return std::nullopt;
    std::ifstream f(destino.Caminho(), std::ios::binary);
    std::ostringstream b;
    b << f.rdbuf();
    return b.str();
}

std::string Declaracao_Teste(const std::string &mmaaaa, int linhas, const std::string &marca)
{
    std::string d = "112345678" + mmaaaa + "EMPRESA DE TESTE " + marca + "\r\n";
    for (int i = 0; i < linhas; ++i)
        d += "2" + std::to_string(100000 + i) + " MOVIMENTO\xC7\xC3O " + marca + "\r\n"; // 1252 bytes
    return d;
}

servidor::Opcoes Opcoes_Teste(const std::string &pasta)
{
    servidor::Opcoes o;
    o.porta = 0;
    o.dados = pasta;
    o.tempo_ocioso_ms = 3000;
    return o;
}

Servidor_Teste::Servidor_Teste(servidor::Opcoes o) : servidor_(o)
{
    porta = servidor_.Iniciar();
    linha_ = std::thread([this] { servidor_.Executar(); });
}

Servidor_Teste::~Servidor_Teste()
{
    servidor_.Parar();
    linha_.join();
}

Cliente_Teste::Cliente_Teste(uint16_t porta)
{
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(porta);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) < 0)
        throw std::runtime_error("connect");
    timeval tv{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

Cliente_Teste::~Cliente_Teste()
{
    ::close(fd);
}

bool Cliente_Teste::Enviar(const std::string &bytes)
{
    size_t feito = 0;
    while (feito < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + feito, bytes.size() - feito, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        feito += size_t(n);
    }
    return true;
}

std::string Cliente_Teste::Ler(size_t n, int ms, int quieto_ms)
{
    std::string r;
    int espera = ms;
    while (r.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, espera) <= 0)
            break;
        char b[256];
        ssize_t k = ::recv(fd, b, std::min(sizeof b, n - r.size()), 0);
        if (k <= 0)
            break;
        r.append(b, size_t(k));
        espera = quieto_ms;
    }
    return r;
}

int Cliente_Teste::Fim(int ms)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0)
        return -1;
    char b[64];
    ssize_t k;
    while ((k = ::recv(fd, b, sizeof b, MSG_DONTWAIT)) > 0) {
    }
    if (k == 0)
        return 0;
    return errno == EAGAIN ? -1 : errno;
}

int Total_Blocos(const std::string &arquivo)
{
    return int((arquivo.size() + servidor::Tamanho_Bloco - 1) / servidor::Tamanho_Bloco);
}

std::string Bloco(const std::string &arquivo, const std::string &nome, char tipo, int i, int total)
{
    servidor::Cabecalho_Bloco c{tipo, nome, i, total};
    return servidor::Montar_Cabecalho(c) + arquivo.substr(size_t(i - 1) * servidor::Tamanho_Bloco,
                                                          servidor::Tamanho_Bloco);
}

std::string Entregar(uint16_t porta, const std::string &arquivo, const std::string &nome, char tipo)
{
    Cliente_Teste c(porta);
    const int total = Total_Blocos(arquivo);
    for (int i = 1; i <= total; ++i) {
        if (!c.Enviar(Bloco(arquivo, nome, tipo, i, total)))
            return "bloco " + std::to_string(i) + ": envio falhou";
        std::string r = i < total ? c.Ler(2, 5000) : c.Ler(23, 8000);
        if (i < total && r != "OK")
            return "bloco " + std::to_string(i) + ": " + r;
        if (i == total)
            return r;
    }
    return {};
}
