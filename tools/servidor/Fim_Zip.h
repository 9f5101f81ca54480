#pragma once
// Follows a zip archive as its bytes arrive, record by record (local entries, central
// directory, end record), to tell whether it is complete, still missing bytes it announced,
// or of a shape whose end cannot be foreseen (sizes in a trailing data descriptor, zip64,
// bytes that are not a zip).
#include <cstdint>
#include <string>
#include <string_view>

namespace servidor {

class Fim_Zip {
public:
    enum class Estado { Faltam, Completo, Desconhecido };

    void Acrescentar(std::string_view bytes);
    Estado Situacao() const { return estado_; }

private:
    void Registro_Lido();

    Estado estado_ = Estado::Faltam;
    std::string cabecalho_; // the fixed part of the record being read
    size_t fixo_ = 4;       // its length, known once the signature has arrived
    uint64_t pular_ = 0;    // variable bytes of the current record still to come
    bool final_ = false;    // the current record is the end record
};

} // namespace servidor
