#pragma once
#include "transmit/Relogio.h"

#include <chrono>
#include <thread>

// A clock that runs fast: each second of pause takes a few real milliseconds, so a reply from a
// loopback server arrives well within the first poll while the suite stays quick.
class Relogio_Rapido : public Relogio {
public:
    double Hora_Do_Dia() override { return agora; }
    void Esperar(double s) override
    {
        agora += s;
        pausado += s;
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(s * 4000)));
    }
    double agora = 36000;
    double pausado = 0;
};
