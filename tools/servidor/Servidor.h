#pragma once
// The reception server: listens, serves each client on its own thread, stops on request.
#include "tools/servidor/Opcoes.h"
#include "tools/servidor/Registro.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace servidor {

class Servidor {
public:
    // Opens the data folder; throws std::runtime_error when it cannot.
    explicit Servidor(const Opcoes &o);
    ~Servidor();
    Servidor(const Servidor &) = delete;
    Servidor &operator=(const Servidor &) = delete;

    // Starts listening; returns the port (the chosen one when the setting is 0).
    // Throws std::runtime_error when the address cannot be listened on.
    uint16_t Iniciar();
    // Accepts and serves clients until Parar; returns when every client thread has ended.
    void Executar();
    // Asks Executar to end; callable from any thread.
    void Parar();

private:
    struct Conexao {
        int fd = -1;
        std::thread linha;
        bool terminada = false;
    };
    void Recolher(bool todas);

    Opcoes opcoes_;
    Registro registro_;
    int escuta_ = -1;
    int aviso_[2] = {-1, -1}; // wakes the accept loop
    std::atomic<bool> parar_{false};
    std::mutex mutex_;
    std::list<std::unique_ptr<Conexao>> conexoes_;
};

} // namespace servidor
