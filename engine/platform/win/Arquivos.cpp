// The opening rules on Windows: names in UTF-16, files in binary mode, the history's lock on
// LockFileEx and its flush through FlushFileBuffers (_commit).
#include "engine/platform/Arquivos.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/win/Nomes.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace {
using sistema::Nome_Largo;

// A name with a character outside Windows-1252 cannot go into the block header nor the record.
void Recusar_Nome_Fora_Do_1252(const std::string &caminho)
{
    if (sistema::Nome_Fora_Do_1252(caminho))
        throw Erro_Execucao(Erro::Argumento_Invalido,
                            QStringLiteral("O nome do arquivo tem caracteres fora do Windows-1252; "
                                           "renomeie o arquivo ou a pasta"));
}

bool Estado(const std::string &caminho, struct _stat64 &st)
{
    return !sistema::Nome_Fora_Do_1252(caminho) && ::_wstat64(Nome_Largo(caminho.c_str()).c_str(), &st) == 0;
}

std::string Pasta_Com_Barra(const std::string &pasta)
{
    return pasta.empty() || pasta.back() == '/' || pasta.back() == '\\' ? pasta : pasta + '\\';
}

// The entries of a folder, "." and ".." left out; `cada` gets each one's data.
template <class Cada> void Listar(const std::string &pasta, Cada cada)
{
    WIN32_FIND_DATAW e;
    HANDLE h = ::FindFirstFileExW(Nome_Largo((Pasta_Com_Barra(pasta) + '*').c_str()).c_str(), FindExInfoBasic,
                                  &e, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring nome = e.cFileName;
        if (nome != L"." && nome != L"..")
            cada(e);
    } while (::FindNextFileW(h, &e));
    ::FindClose(h);
}
} // namespace

sistema::Descritor Abrir_Arquivo_Comum(const std::string &caminho)
{
    Recusar_Nome_Fora_Do_1252(caminho);
    sistema::Descritor fd = sistema::Abrir(caminho.c_str(), _O_RDONLY);
    if (!fd.Aberto()) {
        const int err = errno;
        struct _stat64 st {};
        // Windows opens no folder, and some devices only for some programs.
        if (Estado(caminho, st) && (st.st_mode & _S_IFMT) != _S_IFREG)
            throw Erro_Execucao(Erro::Caminho_Inacessivel, QStringLiteral("Não é um arquivo comum"));
        throw Erro_De_Arquivo(err);
    }
    // A device (CON, NUL, COM1) or a pipe is no declaration.
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd.Fd()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Erro_Execucao(Erro::Caminho_Inacessivel, QStringLiteral("Não é um arquivo comum"));
    return fd;
}

std::FILE *Fluxo_Do_Inicio(const sistema::Descritor &aberto)
{
    sistema::Descritor copia(::_dup(aberto.Fd()));
    if (!copia.Aberto() || ::_lseeki64(copia.Fd(), 0, SEEK_SET) != 0)
        return nullptr;
    std::FILE *f = ::_fdopen(copia.Fd(), "rb");
    if (f)
        copia.Soltar(); // the stream owns it now
    return f;
}

bool Arquivo_Comum(const std::string &caminho)
{
    struct _stat64 st {};
    return Estado(caminho, st) && (st.st_mode & _S_IFMT) == _S_IFREG;
}

bool Existe_Sem_Ser_Pasta(const std::string &caminho)
{
    struct _stat64 st {};
    return Estado(caminho, st) && (st.st_mode & _S_IFMT) != _S_IFDIR;
}

std::vector<std::string> Arquivos_Comuns(const std::string &pasta)
{
    std::vector<std::string> nomes;
    Listar(pasta, [&](const WIN32_FIND_DATAW &e) {
        if (e.cFileName[0] == L'.' || (e.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN
                                                             | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)))
            return;
        nomes.push_back(sistema::Nome_Estreito(e.cFileName));
    });
    return nomes;
}

long Processo_Atual() { return static_cast<long>(::GetCurrentProcessId()); }

namespace {
bool Processo_Terminou(DWORD processo)
{
    HANDLE h = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processo);
    if (!h)
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process; denied: alive
    const bool terminou = ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    ::CloseHandle(h);
    return terminou;
}
} // namespace

void Limpar_Pastas_Abandonadas(const std::string &pasta, const std::string &prefixo)
{
    // The temporary folder is the user's own on Windows: no owner to compare.
    const std::wstring base = Nome_Largo(Pasta_Com_Barra(pasta).c_str());
    const std::wstring inicio = Nome_Largo(prefixo.c_str());
    Listar(pasta, [&](const WIN32_FIND_DATAW &e) {
        const std::wstring nome = e.cFileName;
        if (nome.compare(0, inicio.size(), inicio) != 0 || !(e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            || (e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return;
        const std::wstring resto = nome.substr(inicio.size());
        const size_t traco = resto.find(L'-');
        if (traco == 0 || traco > 9 || resto.find_first_not_of(L"0123456789") != traco)
            return;
        const DWORD processo = static_cast<DWORD>(std::stoul(resto.substr(0, traco)));
        if (processo == 0 || !Processo_Terminou(processo))
            return;
        const std::wstring alvo = base + nome + L'\\';
        WIN32_FIND_DATAW f;
        HANDLE h = ::FindFirstFileExW((alvo + L'*').c_str(), FindExInfoBasic, &f, FindExSearchNameMatch, nullptr, 0);
        if (h != INVALID_HANDLE_VALUE) {
            do
                if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    ::DeleteFileW((alvo + f.cFileName).c_str()); // a link goes itself, never its target
            while (::FindNextFileW(h, &f));
            ::FindClose(h);
        }
        ::RemoveDirectoryW((base + nome).c_str());
    });
}

void Gravar_Arquivo_Inteiro(const std::string &caminho, std::string_view dados)
{
    Recusar_Nome_Fora_Do_1252(caminho);
    const auto barra = caminho.find_last_of("/\\");
    const std::string pasta = barra == std::string::npos ? std::string() : caminho.substr(0, barra + 1);
    std::random_device fonte;
    std::string temporario;
    sistema::Descritor fd;
    for (int tentativa = 0; tentativa < 100 && !fd.Aberto(); ++tentativa) {
        temporario = pasta + ".zelta-" + std::to_string(fonte()) + ".tmp";
        fd = sistema::Abrir(temporario.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL, 0666);
        if (!fd.Aberto() && errno != EEXIST)
            break;
    }
    if (!fd.Aberto())
        throw Erro_De_Arquivo(errno);
    int err = 0;
    if (!sistema::Escrever_Tudo(fd.Fd(), dados) || ::_commit(fd.Fd()) != 0)
        err = errno != 0 ? errno : ENOSPC;
    else if (::_close(fd.Soltar()) != 0)
        err = errno;
    else if (!::MoveFileExW(Nome_Largo(temporario.c_str()).c_str(), Nome_Largo(caminho.c_str()).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        err = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    if (err == 0)
        return;
    fd.Fechar();
    ::_wunlink(Nome_Largo(temporario.c_str()).c_str());
    throw Erro_De_Arquivo(err);
}

Anexo_Travado::Anexo_Travado(const std::string &caminho, int espera_ms)
{
    Recusar_Nome_Fora_Do_1252(caminho);
    for (int modo : {_O_RDWR, _O_WRONLY}) {
        fd_ = sistema::Abrir(caminho.c_str(), modo | _O_APPEND | _O_CREAT, 0666);
        if (fd_.Aberto() || errno != EACCES)
            break;
    }
    if (!fd_.Aberto())
        throw Erro_De_Arquivo(errno);
    const int err = sistema::Travar(fd_.Fd(), espera_ms);
    if (err == EWOULDBLOCK)
        throw Erro_Execucao(Erro::Permissao_Negada, QStringLiteral("Arquivo em uso por outro programa"));
    if (err != 0)
        throw Erro_De_Arquivo(err);
}

std::int64_t Anexo_Travado::Tamanho() const
{
    const off_t n = sistema::Tamanho(fd_.Fd());
    if (n < 0)
        throw Erro_De_Arquivo(errno);
    return n;
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
    if (escritos > 0)
        static_cast<void>(::_chsize_s(fd_.Fd(), antes)); // leave no half entry behind
    throw Erro_De_Arquivo(err);
}

void Anexo_Travado::Fechar()
{
    if (::_commit(fd_.Fd()) != 0)
        throw Erro_De_Arquivo(errno);
    if (::_close(fd_.Soltar()) != 0)
        throw Erro_De_Arquivo(errno);
}
