#pragma once
// The time of day the upload's pauses read, behind an interface so tests can run them fast.
#include <functional>

class Relogio {
public:
    virtual ~Relogio() = default;
    virtual double Hora_Do_Dia() = 0;         // seconds since midnight
    virtual void Esperar(double segundos) = 0; // sleeps; processes no window events
};

class Relogio_Sistema : public Relogio {
public:
    double Hora_Do_Dia() override;
    void Esperar(double segundos) override;
};

// Another clock's time, its sleeps cut into slices of at most `fatia` seconds with `entre_fatias`
// called after each: a window passes a hook that paints, so it stays alive during the pauses.
class Relogio_Com_Espera : public Relogio {
public:
    Relogio_Com_Espera(Relogio &interno, std::function<void()> entre_fatias, double fatia = 0.1);
    double Hora_Do_Dia() override;
    void Esperar(double segundos) override;

private:
    Relogio &interno_;
    std::function<void()> entre_fatias_;
    double fatia_;
};

// Waits until the time of day, rounded to whole seconds, passes its rounded start + k: between k
// and k + 1 seconds. Sleeps instead of spinning; ends when the time of day wraps at midnight.
void Pausa_Segundos(Relogio &relogio, int k);
