#pragma once
#include "engine/platform/Socketout.h"
#include "engine/transmit/Relogio.h"

#include <QDeadlineTimer>
#include <chrono>
#include <thread>

// A clock that runs fast. Given the socket of the delivery it waits for, its time moves on only
// once that socket has something to report (a reply, a close, a failure) or after a generous real
// wait, so a slow machine never turns a reply that is on its way into a silence. Without a socket
// (a server that stays silent on purpose) its time moves on at once.
class Relogio_Rapido : public Relogio {
public:
    explicit Relogio_Rapido(Socketout *vigiado = nullptr) : vigiado_(vigiado) {}
    void Vigiar(Socketout *s) { vigiado_ = s; }

    double Hora_Do_Dia() override { return agora; }
    void Esperar(double s) override
    {
        Aguardar_Socket();
        agora += s;
        pausado += s;
    }
    double agora = 36000;
    double pausado = 0;

private:
    void Aguardar_Socket()
    {
        if (!vigiado_ || !vigiado_->Conectado())
            return;
        const QDeadlineTimer limite(60000);
        while (!limite.hasExpired()) {
            try {
                if (vigiado_->Bytes_Disponiveis() != 0)
                    return;
            } catch (...) {
                return; // a failure the next poll reports
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    Socketout *vigiado_;
};
