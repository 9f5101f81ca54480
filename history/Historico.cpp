#include "history/Historico.h"

#include "platform/Erro_Execucao.h"
#include "receipt/Registro_Recibo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Deslocar(const std::string &texto, int deslocamento)
{
    std::string s(texto);
    for (char &c : s)
        c = static_cast<char>(static_cast<unsigned char>(c) + deslocamento); // wraps modulo 256
    return s;
}

// Closes the descriptor when the reading leaves, however it leaves.
struct Descritor {
    int fd;
    ~Descritor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

int Abrir_Leitura(const std::string &arquivo)
{
    int fd;
    do
        fd = ::open(arquivo.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Hands each line of the file to `linha` (split at LF, a CR before it dropped; a last line
// without its line end still counts) until `linha` returns false. Only the line being
// assembled is held, whatever the size of the file.
void Percorrer_Linhas(int fd, const std::function<bool(std::string_view)> &linha)
{
    static constexpr size_t kBloco = 1 << 16;
    std::string bloco(kBloco, '\0');
    std::string pendente; // the start of a line that crosses a block boundary
    auto entregar = [&](std::string_view l) {
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        return linha(l);
    };
    for (;;) {
        const ssize_t lidos = ::read(fd, bloco.data(), kBloco);
        if (lidos < 0) {
            if (errno == EINTR)
                continue;
            throw Erro_De_Arquivo(errno);
        }
        if (lidos == 0)
            break;
        std::string_view resto(bloco.data(), static_cast<size_t>(lidos));
        while (const void *lf = std::memchr(resto.data(), '\n', resto.size())) {
            const size_t n = static_cast<size_t>(static_cast<const char *>(lf) - resto.data());
            bool seguir;
            if (pendente.empty()) {
                seguir = entregar(resto.substr(0, n));
            } else {
                pendente.append(resto.data(), n);
                seguir = entregar(pendente);
                pendente.clear();
            }
            if (!seguir)
                return;
            resto.remove_prefix(n + 1);
        }
        pendente.append(resto);
    }
    if (!pendente.empty())
        entregar(pendente);
}

} // namespace

std::string Codificar_Linha(const std::string &registro)
{
    return Deslocar(registro, Deslocamento_Historico);
}

std::string Decodificar_Linha(const std::string &linha)
{
    return Deslocar(linha, -Deslocamento_Historico);
}

void Gravar_Historico(const std::string &registro, const std::string &arquivo)
{
    // Read access only serves to look at the last byte; a write-only file is still appended to.
    int fd = -1;
    for (int modo : {O_RDWR, O_WRONLY}) {
        do
            fd = ::open(arquivo.c_str(), modo | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EACCES)
            break;
    }
    if (fd < 0)
        throw Erro_De_Arquivo(errno);
    Descritor guarda{fd};

    // Parallel deliveries of one process take turns here; the advisory lock keeps another program
    // appending to the same file out of the look at the last byte, the write and its undoing.
    // Both are needed: where flock is emulated by record locks they do not exclude threads.
    static std::mutex vez;
    const std::lock_guard<std::mutex> nossa_vez(vez);
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            throw Erro_De_Arquivo(errno);

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Erro_De_Arquivo(errno);

    std::string linha;
    // A last line cut short by an earlier crash is closed first, or this entry would be glued to it.
    if (st.st_size > 0) {
        char ultimo = '\n';
        if (::pread(fd, &ultimo, 1, st.st_size - 1) == 1 && ultimo != '\n')
            linha = "\r\n";
    }
    // A control byte in the record would be stored as a line end (byte 0 becomes LF): written as
    // a blank, the same rule the record builder follows.
    std::string limpo(registro);
    for (char &c : limpo)
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
    linha += Codificar_Linha(limpo);
    linha += "\r\n";

    ssize_t escritos;
    do
        escritos = ::write(fd, linha.data(), linha.size());
    while (escritos < 0 && errno == EINTR);
    if (escritos != static_cast<ssize_t>(linha.size())) {
        const int err = escritos < 0 ? errno : ENOSPC;
        if (escritos > 0) {
            // Leave no half entry behind; should even this fail, the reader takes the cut
            // line as a short record and the next entry closes it.
            const int desfeito = ::ftruncate(fd, st.st_size);
            static_cast<void>(desfeito);
        }
        throw Erro_De_Arquivo(err);
    }
    if (::fsync(fd) != 0)
        throw Erro_De_Arquivo(errno);
    guarda.fd = -1;
    if (::close(fd) != 0)
        throw Erro_De_Arquivo(errno);
}

bool Historico_Existe(const std::string &arquivo)
{
    struct stat st {};
    return ::stat(arquivo.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool Entrada_Presente(const std::string &codigo8, const std::string &arquivo)
{
    const int fd = Abrir_Leitura(arquivo);
    if (fd < 0) {
        if (errno == ENOENT)
            return false;
        throw Erro_De_Arquivo(errno);
    }
    Descritor guarda{fd};
    // The stored form of the code: comparing the shifted characters spares decoding every line.
    const std::string procurado = Codificar_Linha(codigo8);
    bool achou = false;
    Percorrer_Linhas(fd, [&](std::string_view linha) {
        achou = Campo(linha, 22, 8) == procurado;
        return !achou;
    });
    return achou;
}

Leitura_Historico Ler_Historico(const std::string &arquivo)
{
    const int fd = Abrir_Leitura(arquivo);
    if (fd < 0)
        throw Erro_De_Arquivo(errno);
    Descritor guarda{fd};

    // The newest lines so far, in a ring: memory stays the same however long the file is.
    std::vector<std::string> anel(Max_Entradas_Reimpressao);
    long long total = 0;
    Percorrer_Linhas(fd, [&](std::string_view linha) {
        anel[static_cast<size_t>(total % Max_Entradas_Reimpressao)].assign(linha);
        ++total;
        return true;
    });

    Leitura_Historico r;
    r.total = total;
    const long long guardadas = std::min<long long>(total, Max_Entradas_Reimpressao);
    r.entradas.reserve(static_cast<size_t>(guardadas));
    for (long long i = total - guardadas; i < total; ++i)
        r.entradas.push_back(Decodificar_Linha(anel[static_cast<size_t>(i % Max_Entradas_Reimpressao)]));
    return r;
}
