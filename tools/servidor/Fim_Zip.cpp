#include "tools/servidor/Fim_Zip.h"

#include <algorithm>

namespace servidor {

namespace {

constexpr uint32_t Local = 0x04034b50u, Central = 0x02014b50u, Final = 0x06054b50u;

uint32_t Le(std::string_view b, size_t p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes; i-- > 0;)
        v = v << 8 | uint8_t(b[p + size_t(i)]);
    return v;
}

} // namespace

void Fim_Zip::Acrescentar(std::string_view d)
{
    while (!d.empty()) {
        if (estado_ != Estado::Faltam) {
            estado_ = Estado::Desconhecido; // bytes after the end record, or an unknown shape
            return;
        }
        if (pular_ > 0) {
            const size_t n = size_t(std::min<uint64_t>(pular_, d.size()));
            pular_ -= n;
            d.remove_prefix(n);
        } else {
            const size_t n = std::min(fixo_ - cabecalho_.size(), d.size());
            cabecalho_.append(d.substr(0, n));
            d.remove_prefix(n);
            if (cabecalho_.size() == fixo_)
                Registro_Lido();
        }
        if (final_ && pular_ == 0 && cabecalho_.empty())
            estado_ = Estado::Completo;
    }
}

// The signature, or the whole fixed part, of a record has arrived.
void Fim_Zip::Registro_Lido()
{
    const std::string_view c = cabecalho_;
    if (fixo_ == 4) {
        switch (Le(c, 0, 4)) {
        case Local: fixo_ = 30; return;
        case Central: fixo_ = 46; return;
        case Final: fixo_ = 22; return;
        default: estado_ = Estado::Desconhecido; return;
        }
    }
    switch (Le(c, 0, 4)) {
    case Local: {
        const uint32_t tamanho = Le(c, 18, 4);
        if ((Le(c, 6, 2) & 0x8) || tamanho == 0xFFFFFFFFu) { // sizes come after the data
            estado_ = Estado::Desconhecido;
            return;
        }
        pular_ = uint64_t(tamanho) + Le(c, 26, 2) + Le(c, 28, 2);
        break;
    }
    case Central: pular_ = uint64_t(Le(c, 28, 2)) + Le(c, 30, 2) + Le(c, 32, 2); break;
    default: // the end record
        if (Le(c, 8, 2) == 0xFFFFu || Le(c, 16, 4) == 0xFFFFFFFFu) { // zip64 records follow elsewhere
            estado_ = Estado::Desconhecido;
            return;
        }
        pular_ = Le(c, 20, 2);
        final_ = true;
    }
    cabecalho_.clear();
    fixo_ = 4;
}

} // namespace servidor
