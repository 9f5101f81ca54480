#include "tools/servidor/Temporario.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace servidor {

namespace {

std::runtime_error Falha(const std::string &o_que, const std::string &caminho)
{
    return std::runtime_error(o_que + " " + caminho + ": " + std::strerror(errno));
}

} // namespace

void Sincronizar_Pasta(const std::string &pasta)
{
    Descritor d(::open(pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (d.Aberto())
        ::fsync(d.Fd());
}

Arquivo_Temporario::Arquivo_Temporario(const std::string &pasta, Cota &cota)
    : caminho_((std::filesystem::path(pasta) / (std::string(Prefixo_Proprio) + "XXXXXX")).string()), cota_(cota)
{
    fd_ = Descritor(::mkostemp(caminho_.data(), O_CLOEXEC));
    if (!fd_.Aberto())
        throw Falha("não foi possível criar", caminho_);
}

Arquivo_Temporario::~Arquivo_Temporario()
{
    if (!guardado_) {
        ::unlink(caminho_.c_str());
        cota_.Liberar(tamanho_);
    }
}

bool Arquivo_Temporario::Acrescentar(std::string_view bytes)
{
    if (!cota_.Reservar(bytes.size()))
        return false;
    if (!sistema::Escrever_Tudo(fd_.Fd(), bytes)) {
        cota_.Liberar(bytes.size());
        return false; // the file is not to be trusted any more: the caller gives it up
    }
    tamanho_ += bytes.size();
    return true;
}

std::string Arquivo_Temporario::Cauda(size_t n) const
{
    const uint64_t inicio = tamanho_ > n ? tamanho_ - n : 0;
    std::string s(size_t(tamanho_ - inicio), '\0');
    const ssize_t lidos = sistema::Ler_Em(fd_.Fd(), s.data(), s.size(), off_t(inicio));
    s.resize(lidos > 0 ? size_t(lidos) : 0);
    return s;
}

void Arquivo_Temporario::Guardar(const std::string &destino)
{
    if (::fsync(fd_.Fd()) < 0)
        throw Falha("não foi possível gravar", caminho_);
    if (::rename(caminho_.c_str(), destino.c_str()) < 0)
        throw Falha("não foi possível guardar", destino);
    guardado_ = true;
    caminho_ = destino;
    Sincronizar_Pasta(std::filesystem::path(destino).parent_path().string());
}

} // namespace servidor
