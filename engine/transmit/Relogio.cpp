#include "engine/transmit/Relogio.h"

#include <QTime>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

double Relogio_Sistema::Hora_Do_Dia()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void Relogio_Sistema::Esperar(double segundos)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(segundos));
}

Relogio_Com_Espera::Relogio_Com_Espera(Relogio &interno, std::function<void()> entre_fatias, double fatia)
    : interno_(interno), entre_fatias_(std::move(entre_fatias)), fatia_(fatia > 0 ? fatia : 0.1)
{
}

double Relogio_Com_Espera::Hora_Do_Dia()
{
    return interno_.Hora_Do_Dia();
}

void Relogio_Com_Espera::Esperar(double segundos)
{
    while (segundos > 0) {
        const double agora = std::min(segundos, fatia_);
        interno_.Esperar(agora);
        segundos -= agora;
        if (entre_fatias_)
            entre_fatias_();
    }
}

void Pausa_Segundos(Relogio &relogio, int k)
{
    double anterior = relogio.Hora_Do_Dia();
    const double inicio = std::round(anterior);
    for (;;) {
        const double agora = relogio.Hora_Do_Dia();
        if (agora < anterior) // midnight: the time of day started again
            return;
        anterior = agora;
        if (std::round(agora) > inicio + k)
            return;
        // The rounded time can change next at the coming half second.
        const double proxima = std::floor(agora + 0.5) + 0.5;
        relogio.Esperar(proxima - agora + 0.001);
    }
}
