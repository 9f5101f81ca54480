#pragma once
// One server per data folder: an exclusive lock on a file of the folder, held while the server
// runs and let go by the system however the process ends.
#include "engine/platform/Descritor.h"

#include <string>

namespace servidor {

constexpr const char *Nome_Trava = "zelta-servidor.trava";

class Trava_Pasta {
public:
    // Locks `pasta` (which must exist). Throws std::runtime_error, naming the process that holds
    // it, when another server has the folder, or when the lock file cannot be opened.
    explicit Trava_Pasta(const std::string &pasta);

private:
    sistema::Descritor fd_;
};

} // namespace servidor
