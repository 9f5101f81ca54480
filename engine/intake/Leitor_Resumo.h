#pragma once
// Reads declaration summaries on a worker thread, so a large file never freezes the window that
// asked. Only the newest request counts: one that is waiting is replaced by the next.
#include "engine/intake/Resumo_Declaracao.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct Resumo_Lido {
    uint64_t pedido = 0;
    std::optional<Resumo_Declaracao> resumo; // empty when the file could not be read
    std::string falha;                       // then why, in Windows-1252
};

class Leitor_Resumo {
public:
    // `entregar` runs on the worker thread, once per request read.
    explicit Leitor_Resumo(std::function<void(const Resumo_Lido &)> entregar);
    ~Leitor_Resumo(); // stops the reading under way, drops what is waiting
    Leitor_Resumo(const Leitor_Resumo &) = delete;
    Leitor_Resumo &operator=(const Leitor_Resumo &) = delete;

    // Asks for the summary of `caminho` (file-system bytes); returns the request's number.
    uint64_t Pedir(const std::string &caminho);

private:
    void Trabalhar();

    std::function<void(const Resumo_Lido &)> entregar_;
    std::mutex mutex_;
    std::condition_variable sinal_;
    std::optional<std::string> pendente_;
    uint64_t ultimo_ = 0;
    bool parar_ = false;
    std::atomic<bool> interromper_{false}; // ends the reading under way
    std::thread trabalhador_; // last: starts once the rest is ready
};
