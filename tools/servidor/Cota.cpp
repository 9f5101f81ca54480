#include "tools/servidor/Cota.h"

namespace servidor {

bool Cota::Reservar(uint64_t n)
{
    uint64_t atual = usado_.load();
    do {
        if (atual + n > limite_)
            return false;
    } while (!usado_.compare_exchange_weak(atual, atual + n));
    return true;
}

} // namespace servidor
