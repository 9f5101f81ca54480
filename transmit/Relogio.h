#pragma once
// The time of day the upload's pauses read, behind an interface so tests can run them fast.

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

// Waits until the time of day, rounded to whole seconds, passes its rounded start + k: between k
// and k + 1 seconds. Sleeps instead of spinning; ends when the time of day wraps at midnight.
void Pausa_Segundos(Relogio &relogio, int k);
