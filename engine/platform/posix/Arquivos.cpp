#include "engine/platform/Arquivos.h"

#include "engine/platform/Erro_Execucao.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <random>

sistema::Descritor Abrir_Arquivo_Comum(const std::string &caminho)
{
    sistema::Descritor fd = sistema::Abrir(caminho.c_str(), O_RDONLY | O_NONBLOCK);
    if (!fd.Aberto())
        throw Erro_De_Arquivo(errno);
    struct stat st {};
    if (::fstat(fd.Fd(), &st) != 0)
        throw Erro_De_Arquivo(errno);
    if (!S_ISREG(st.st_mode))
        throw Erro_Execucao(Erro::Caminho_Inacessivel, QStringLiteral("Não é um arquivo comum"));
    return fd;
}

std::FILE *Fluxo_Do_Inicio(const sistema::Descritor &aberto)
{
    sistema::Descritor copia(::fcntl(aberto.Fd(), F_DUPFD_CLOEXEC, 0));
    if (!copia.Aberto() || ::lseek(copia.Fd(), 0, SEEK_SET) != 0)
        return nullptr;
    std::FILE *f = ::fdopen(copia.Fd(), "rb");
    if (f)
        copia.Soltar(); // the stream owns it now
    return f;
}

bool Arquivo_Comum(const std::string &caminho)
{
    struct stat st {};
    return ::stat(caminho.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Existe_Sem_Ser_Pasta(const std::string &caminho)
{
    struct stat st {};
    return ::stat(caminho.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::string> Arquivos_Comuns(const std::string &pasta)
{
    std::vector<std::string> nomes;
    DIR *d = ::opendir(pasta.c_str());
    if (!d)
        return nomes;
    const int fd = ::dirfd(d);
    while (const dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
            nomes.emplace_back(e->d_name);
    }
    ::closedir(d);
    return nomes;
}

long Processo_Atual() { return static_cast<long>(::getpid()); }

namespace {
// Removes the entries of folder `nome` in `pasta_fd` (sub-folders are left, and so is the folder
// then), then the folder.
void Remover_Pasta_Rasa(int pasta_fd, const char *nome)
{
    const int fd = ::openat(pasta_fd, nome, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return;
    }
    while (const dirent *e = ::readdir(d))
        if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..")
            ::unlinkat(fd, e->d_name, 0);
    ::closedir(d);
    ::unlinkat(pasta_fd, nome, AT_REMOVEDIR);
}
} // namespace

void Limpar_Pastas_Abandonadas(const std::string &pasta, const std::string &prefixo)
{
    DIR *d = ::opendir(pasta.c_str());
    if (!d)
        return;
    const int fd = ::dirfd(d);
    while (const dirent *e = ::readdir(d)) {
        const std::string_view nome(e->d_name);
        if (nome.substr(0, prefixo.size()) != prefixo)
            continue;
        const std::string_view resto = nome.substr(prefixo.size());
        const size_t traco = resto.find('-');
        if (traco == 0 || traco > 9 || resto.find_first_not_of("0123456789") != traco)
            continue;
        const pid_t processo = static_cast<pid_t>(std::stol(std::string(resto.substr(0, traco))));
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
            continue;
        // A process of another user answers EPERM: alive, its folder stays.
        if (processo <= 0 || ::kill(processo, 0) == 0 || errno != ESRCH)
            continue;
        Remover_Pasta_Rasa(fd, e->d_name);
    }
    ::closedir(d);
}

void Gravar_Arquivo_Inteiro(const std::string &caminho, std::string_view dados)
{
    const auto barra = caminho.find_last_of('/');
    const std::string pasta = barra == std::string::npos ? std::string() : caminho.substr(0, barra + 1);
    // O_EXCL refuses a name that exists, a link included; the mode follows the umask.
    std::random_device fonte;
    std::string temporario;
    sistema::Descritor fd;
    for (int tentativa = 0; tentativa < 100 && !fd.Aberto(); ++tentativa) {
        temporario = pasta + ".zelta-" + std::to_string(fonte()) + ".tmp";
        fd = sistema::Abrir(temporario.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (!fd.Aberto() && errno != EEXIST)
            break;
    }
    if (!fd.Aberto())
        throw Erro_De_Arquivo(errno);
    int err = 0;
    if (!sistema::Escrever_Tudo(fd.Fd(), dados) || ::fsync(fd.Fd()) != 0)
        err = errno != 0 ? errno : ENOSPC;
    else if (::close(fd.Soltar()) != 0 || ::rename(temporario.c_str(), caminho.c_str()) != 0)
        err = errno;
    if (err == 0)
        return;
    fd.Fechar();
    ::unlink(temporario.c_str());
    throw Erro_De_Arquivo(err);
}

namespace {
// Who holds the whole-file lock of the open file, as the system's lock table says (Linux):
// "pelo programa NAME (processo PID)", or "por outro programa".
QString Dono_Da_Trava(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return QStringLiteral("por outro programa");
    char alvo[64];
    std::snprintf(alvo, sizeof alvo, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::ifstream travas("/proc/locks");
    std::string linha;
    while (std::getline(travas, linha)) {
        // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; waiters read "1: -> FLOCK ...".
        std::istringstream campos(linha);
        std::string numero, tipo, modo, acesso, processo, arquivo;
        if (!(campos >> numero >> tipo >> modo >> acesso >> processo >> arquivo) || tipo != "FLOCK" || arquivo != alvo)
            continue;
        std::ifstream comm("/proc/" + processo + "/comm");
        std::string nome;
        if (std::getline(comm, nome) && !nome.empty())
            return QStringLiteral("pelo programa %1 (processo %2)")
                .arg(QString::fromLocal8Bit(nome), QString::fromStdString(processo));
        return QStringLiteral("pelo processo %1").arg(QString::fromStdString(processo));
    }
    return QStringLiteral("por outro programa");
}
} // namespace

Anexo_Travado::Anexo_Travado(const std::string &caminho, int espera_ms)
{
    // Read access only serves to look at the last byte; a write-only file is still appended to.
    for (int modo : {O_RDWR, O_WRONLY}) {
        fd_ = sistema::Abrir(caminho.c_str(), modo | O_APPEND | O_CREAT, 0666);
        if (fd_.Aberto() || errno != EACCES)
            break;
    }
    if (!fd_.Aberto())
        throw Erro_De_Arquivo(errno);
    const int err = sistema::Travar(fd_.Fd(), espera_ms);
    if (err == EWOULDBLOCK)
        throw Erro_Execucao(Erro::Permissao_Negada, QStringLiteral("Arquivo em uso ") + Dono_Da_Trava(fd_.Fd()));
    if (err != 0)
        throw Erro_De_Arquivo(err);
}

std::int64_t Anexo_Travado::Tamanho() const
{
    struct stat st {};
    if (::fstat(fd_.Fd(), &st) != 0)
        throw Erro_De_Arquivo(errno);
    return st.st_size;
}

bool Anexo_Travado::Ler_Byte(std::int64_t posicao, char &c) const
{
    return sistema::Ler_Em(fd_.Fd(), &c, 1, posicao) == 1;
}

void Anexo_Travado::Anexar(std::string_view s)
{
    const std::int64_t antes = Tamanho();
    const ssize_t escritos = sistema::Escrever(fd_.Fd(), s.data(), s.size());
    if (escritos == static_cast<ssize_t>(s.size()))
        return;
    const int err = escritos < 0 ? errno : ENOSPC;
    if (escritos > 0) {
        // Leave no half entry behind; should even this fail, a reader takes the cut line as a
        // short one and the next entry closes it.
        const int desfeito = ::ftruncate(fd_.Fd(), antes);
        static_cast<void>(desfeito);
    }
    throw Erro_De_Arquivo(err);
}

void Anexo_Travado::Fechar()
{
    if (::fsync(fd_.Fd()) != 0)
        throw Erro_De_Arquivo(errno);
    if (::close(fd_.Soltar()) != 0)
        throw Erro_De_Arquivo(errno);
}
