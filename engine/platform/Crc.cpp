#include "engine/platform/Crc.h"

#include <zlib.h>

int32_t crc(const char *bytes, int16_t tamanho, int32_t valor)
{
    const uInt n = tamanho > 0 ? static_cast<uInt>(tamanho) : 0;
    const uLong semente = static_cast<uint32_t>(valor);
    // zlib answers a null buffer with its start value instead of the seed.
    const char *dados = bytes ? bytes : "";
    const uLong v = crc32(semente, reinterpret_cast<const Bytef *>(dados), bytes ? n : 0);
    return static_cast<int32_t>(v % 99999) + 1;
}
