#include "tools/servidor/Espaco_Envios.h"

#include <algorithm>
#include <chrono>

namespace servidor {

namespace {

// How long a block waits for a dropped upload to give its room back.
constexpr auto Espera_Descarte = std::chrono::seconds(5);

} // namespace

Reserva_Envio::Reserva_Envio(Espaco_Envios &espaco, std::function<void()> descartar)
    : Cota(espaco.por_envio_), espaco_(espaco), descartar_(std::move(descartar))
{
    std::lock_guard trava(espaco_.mutex_);
    espaco_.reservas_.push_back(this);
}

Reserva_Envio::~Reserva_Envio()
{
    std::lock_guard trava(espaco_.mutex_);
    espaco_.reservas_.remove(this);
}

bool Reserva_Envio::Reservar(uint64_t n)
{
    if (!Cota::Reservar(n))
        return false;
    if (espaco_.Reservar(*this, n))
        return true;
    Cota::Liberar(n);
    return false;
}

void Reserva_Envio::Liberar(uint64_t n)
{
    Cota::Liberar(n);
    espaco_.Liberar(n);
}

void Reserva_Envio::Julgando(bool sim)
{
    std::lock_guard trava(espaco_.mutex_);
    julgando_ = sim;
}

bool Reserva_Envio::Descartada() const
{
    std::lock_guard trava(espaco_.mutex_);
    return descartada_;
}

uint64_t Espaco_Envios::Usado() const
{
    std::lock_guard trava(mutex_);
    return usado_;
}

Reserva_Envio *Espaco_Envios::Vitima(const Reserva_Envio &quem, uint64_t n) const
{
    Reserva_Envio *maior = nullptr;
    for (Reserva_Envio *r : reservas_) {
        if (r == &quem || r->julgando_ || r->descartada_)
            continue;
        if (!maior || r->Usado() > maior->Usado())
            maior = r;
    }
    return maior && maior->Usado() > quem.Usado() + n ? maior : nullptr;
}

bool Espaco_Envios::Reservar(Reserva_Envio &quem, uint64_t n)
{
    std::unique_lock trava(mutex_);
    const auto prazo = std::chrono::steady_clock::now() + Espera_Descarte;
    for (;;) {
        if (quem.descartada_)
            return false;
        if (usado_ + n <= total_) {
            usado_ += n;
            return true;
        }
        // Room comes back as a dropped upload goes; drop another only when none is going.
        const bool saindo = std::any_of(reservas_.begin(), reservas_.end(),
                                        [](const Reserva_Envio *r) { return r->descartada_ && r->Usado() > 0; });
        if (!saindo) {
            Reserva_Envio *v = Vitima(quem, n);
            if (!v)
                return false;
            v->descartada_ = true;
            v->descartar_();
        }
        if (liberado_.wait_until(trava, prazo) == std::cv_status::timeout && usado_ + n > total_)
            return false;
    }
}

void Espaco_Envios::Liberar(uint64_t n)
{
    {
        std::lock_guard trava(mutex_);
        usado_ -= n;
    }
    liberado_.notify_all();
}

} // namespace servidor
