#include "engine/intake/Leitor_Resumo.h"

#include "engine/intake/Verificacao.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"

#include <cerrno>
#include <new>

Leitor_Resumo::Leitor_Resumo(std::function<void(const Resumo_Lido &)> entregar)
    : entregar_(std::move(entregar)), trabalhador_([this] { Trabalhar(); })
{
}

Leitor_Resumo::~Leitor_Resumo()
{
    {
        std::lock_guard<std::mutex> l(mutex_);
        parar_ = true;
    }
    interromper_ = true;
    sinal_.notify_one();
    trabalhador_.join();
}

uint64_t Leitor_Resumo::Pedir(const std::string &caminho)
{
    uint64_t numero;
    {
        std::lock_guard<std::mutex> l(mutex_);
        pendente_ = caminho;
        numero = ++ultimo_;
    }
    sinal_.notify_one();
    return numero;
}

void Leitor_Resumo::Trabalhar()
{
    for (;;) {
        Resumo_Lido lido;
        std::string caminho;
        {
            std::unique_lock<std::mutex> l(mutex_);
            sinal_.wait(l, [this] { return parar_ || pendente_; });
            if (parar_)
                return;
            caminho = std::move(*pendente_);
            pendente_.reset();
            lido.pedido = ultimo_;
        }
        try {
            lido.resumo = Ler_Resumo(caminho, &interromper_);
        } catch (const Leitura_Interrompida &) {
            return; // the owner is going away
        } catch (const Erro_Execucao &e) {
            lido.falha = Para_1252(e.descricao);
        } catch (const std::bad_alloc &) {
            lido.falha = Para_1252(Descricao_Sistema(ENOMEM));
        }
        entregar_(lido);
    }
}
