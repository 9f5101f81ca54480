#include "engine/platform/Leitor_Linhas.h"

#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

Leitor_Linhas::Leitor_Linhas(const std::string &caminho, std::uint64_t limite)
    : proprio_(Abrir_Arquivo_Comum(caminho)), fd_(proprio_.Fd()), bloco_(new char[Tamanho_Bloco]), restante_(limite)
{
}

Leitor_Linhas::Leitor_Linhas(const sistema::Descritor &aberto, std::uint64_t limite)
    : fd_(aberto.Fd()), bloco_(new char[Tamanho_Bloco]), restante_(limite)
{
}

Leitor_Linhas::~Leitor_Linhas() = default;

bool Leitor_Linhas::Encher()
{
    if (acabou_)
        return false;
    if (restante_ == 0) {
        char um;
        const ssize_t mais = sistema::Ler(fd_, &um, 1);
        cortado_ = mais > 0;
        acabou_ = true;
        return false;
    }
    const std::size_t pedir = static_cast<std::size_t>(std::min<std::uint64_t>(Tamanho_Bloco, restante_));
    const ssize_t n = sistema::Ler(fd_, bloco_.get(), pedir);
    if (n < 0)
        throw Erro_De_Arquivo(errno);
    restante_ -= static_cast<std::uint64_t>(n);
    pos_ = 0;
    fim_ = static_cast<std::size_t>(n);
    acabou_ = n == 0;
    return n > 0;
}

bool Leitor_Linhas::Fim()
{
    return pos_ == fim_ && !Encher();
}

// The block is about to be overwritten: the part of the line that sits in it moves out.
void Leitor_Linhas::Guardar_Visao()
{
    if (copiada_)
        return;
    guardada_.assign(visao_ ? visao_ : "", std::min(tamanho_visao_, Limite_Guardado));
    copiada_ = true;
}

void Leitor_Linhas::Juntar(const char *inicio, std::size_t n)
{
    if (!copiada_ && !visao_) {
        visao_ = inicio;
        tamanho_visao_ = n;
        return;
    }
    Guardar_Visao();
    if (guardada_.size() < Limite_Guardado)
        guardada_.append(inicio, std::min(n, Limite_Guardado - guardada_.size()));
    tamanho_visao_ += n;
}

bool Leitor_Linhas::Proxima(Linha_Lida &linha)
{
    if (Fim())
        return false;
    visao_ = nullptr;
    tamanho_visao_ = 0;
    copiada_ = false;
    guardada_.clear();
    for (;;) {
        if (pos_ == fim_) {
            Guardar_Visao();
            if (!Encher())
                break; // the file ends without a line end
        }
        const char *inicio = bloco_.get() + pos_;
        const std::size_t resto = fim_ - pos_;
        const auto *cr = static_cast<const char *>(std::memchr(inicio, '\r', resto));
        if (!cr) {
            Juntar(inicio, resto);
            pos_ = fim_;
            continue;
        }
        Juntar(inicio, static_cast<std::size_t>(cr - inicio));
        pos_ += static_cast<std::size_t>(cr - inicio) + 1;
        if (pos_ == fim_) {
            Guardar_Visao();
            Encher();
        }
        if (pos_ < fim_ && bloco_[pos_] == '\n')
            ++pos_;
        break;
    }
    if (pos_ == fim_)
        Guardar_Visao();
    linha.ultima = Fim();
    linha.tamanho = tamanho_visao_;
    linha.texto = copiada_ ? std::string_view(guardada_)
                           : std::string_view(visao_ ? visao_ : "", std::min(tamanho_visao_, Limite_Guardado));
    return true;
}
