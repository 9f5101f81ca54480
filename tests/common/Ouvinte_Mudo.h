#pragma once
// A loopback port that takes connections and never says a word: a server or proxy that does not
// answer. It counts the connections and the bytes the clients send (a connection test must send
// none). Clients are read on a thread of its own, each until it closes.
#include <atomic>
#include <cstdint>
#include <thread>

class Ouvinte_Mudo {
public:
    Ouvinte_Mudo();
    ~Ouvinte_Mudo();
    Ouvinte_Mudo(const Ouvinte_Mudo &) = delete;
    Ouvinte_Mudo &operator=(const Ouvinte_Mudo &) = delete;

    uint16_t porta = 0;
    std::atomic<int> conexoes{0};
    std::atomic<long> bytes{0};

private:
    void Servir();

    int fd_ = -1;
    std::atomic<bool> parar_{false};
    std::thread fio_;
};
