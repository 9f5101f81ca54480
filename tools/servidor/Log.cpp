#include "tools/servidor/Log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace servidor {

namespace {

std::atomic<uint64_t> limite{0};

// Empties the log file when `proxima` would take it past the limit.
void Conter(const std::string &proxima)
{
    struct stat st;
    const uint64_t l = limite;
    if (l == 0 || ::fstat(STDERR_FILENO, &st) != 0 || !S_ISREG(st.st_mode) ||
        uint64_t(st.st_size) + proxima.size() <= l || ::ftruncate(STDERR_FILENO, 0) != 0)
        return;
    ::lseek(STDERR_FILENO, 0, SEEK_SET); // for a file opened without O_APPEND
    const std::string aviso = "zelta-servidor: log recomeçado: passaria de " + std::to_string(l) + " bytes\n";
    std::fwrite(aviso.data(), 1, aviso.size(), stderr);
}

} // namespace

void Limitar_Log(uint64_t bytes)
{
    limite = bytes;
}

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
    Conter(s);
    std::fwrite(s.data(), 1, s.size(), stderr);
}

} // namespace servidor
