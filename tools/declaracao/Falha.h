#pragma once
// A failure of the declaration tool, with the text the user is shown.
#include <stdexcept>
#include <string>

namespace declaracao {

struct Falha_Ferramenta : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace declaracao
