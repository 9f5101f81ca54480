#pragma once
// The chained line checksum compared with the validation mark of a declaration file.
#include <cstdint>

// One step of the chain: (zlib crc32 of `tamanho` bytes, seeded with `valor`) mod 99999, plus 1.
// Start with 0 and pass each result to the next call. Every result lies in 1..99999, so it always
// fits the five-character mark field and is never 0, the mark of an unvalidated file.
// A negative length counts as no bytes.
int32_t crc(const char *bytes, int16_t tamanho, int32_t valor);
