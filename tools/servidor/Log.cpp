#include "tools/servidor/Log.h"

#include <cstdio>
#include <mutex>

namespace servidor {

std::string Escapar_Log(std::string_view texto)
{
    std::string s;
    s.reserve(texto.size());
    for (char c : texto) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\\') {
            s += "\\\\";
        } else if (b < 0x20 || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(b));
            s += hex;
        } else {
            s += c;
        }
    }
    return s;
}

void Registrar_Log(std::string_view linha)
{
    const std::string s = "zelta-servidor: " + Escapar_Log(linha) + "\n";
    static std::mutex m;
    std::lock_guard t(m);
    std::fwrite(s.data(), 1, s.size(), stderr);
}

} // namespace servidor
