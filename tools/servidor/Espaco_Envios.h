#pragma once
// The room that uploads in progress may take in the data folder: a share of the quota of their
// own, so that they never crowd out the declarations received, with a cap per upload. When a
// block finds the share full, the upload holding most is dropped to make room, provided it
// holds more than the one asking; an upload being judged is never dropped.
#include "tools/servidor/Cota.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>

namespace servidor {

class Espaco_Envios;

// One upload's part of the share: the quota of its temporary file.
class Reserva_Envio final : public Cota {
public:
    // `descartar` ends the upload's connection; it is called from another upload's thread.
    Reserva_Envio(Espaco_Envios &espaco, std::function<void()> descartar);
    ~Reserva_Envio() override;

    // False when the upload would pass its cap, or the share has no room even after dropping
    // the biggest holder (waiting a little for it to go).
    bool Reservar(uint64_t n) override;
    void Liberar(uint64_t n) override;
    // While its archive is judged, an upload is not dropped.
    void Julgando(bool sim);
    // The upload was dropped to make room for another.
    bool Descartada() const;

private:
    friend class Espaco_Envios;
    Espaco_Envios &espaco_;
    std::function<void()> descartar_;
    bool julgando_ = false, descartada_ = false; // under espaco_.mutex_
};

class Espaco_Envios {
public:
    // `total` bytes for all uploads in progress, `por_envio` for each.
    Espaco_Envios(uint64_t total, uint64_t por_envio) : total_(total), por_envio_(por_envio) {}
    uint64_t Usado() const;
    uint64_t Total() const { return total_; }

private:
    friend class Reserva_Envio;
    bool Reservar(Reserva_Envio &quem, uint64_t n);
    void Liberar(uint64_t n);
    // The upload to drop so that `quem` gets `n` more bytes, if any. Holds mutex_.
    Reserva_Envio *Vitima(const Reserva_Envio &quem, uint64_t n) const;

    const uint64_t total_, por_envio_;
    uint64_t usado_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable liberado_;
    std::list<Reserva_Envio *> reservas_;
};

} // namespace servidor
