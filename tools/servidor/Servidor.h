#pragma once
// The reception server: listens, serves each client on its own thread, stops on request.
// When every client slot is taken, a waiting connection takes the place of one that does not
// keep the protocol's pace: the one that has waited longest (over a second) for its first
// header, else the one silent longest past the client's pause since its last whole block or
// reply. A client that keeps the pace is never dropped: while all do (or are being judged),
// new connections wait in the listen queue, in their order of arrival.
#include "engine/platform/Descritor.h"
#include "tools/servidor/Opcoes.h"
#include "tools/servidor/Registro.h"
#include "tools/servidor/Sessao.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace servidor {

using sistema::Descritor;

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
        int fd = -1; // closed by its thread, under mutex_
        std::thread linha;
        Progresso progresso;
        std::chrono::steady_clock::time_point inicio = std::chrono::steady_clock::now();
        bool terminada = false;
        bool expulsa = false;
    };
    void Recolher(bool todas);
    // Makes room for one more connection, dropping one when all slots are taken; false when
    // none may be dropped. Holds mutex_.
    bool Abrir_Vaga();
    void Atender_Conexao(Conexao *c, const std::string &nome);
    // A pause, doubled each time up to a second, while accept() finds no descriptor or memory;
    // Parar ends it.
    void Esperar_Recursos(int &espera_ms);
    // Waits `ms`, or less when Parar is called.
    void Pausar(int ms);

    Opcoes opcoes_;
    Registro registro_;
    Descritor escuta_;
    Descritor aviso_leitura_, aviso_escrita_; // wake the accept loop
    std::atomic<bool> parar_{false};
    std::mutex mutex_;
    std::list<std::unique_ptr<Conexao>> conexoes_;
};

} // namespace servidor
