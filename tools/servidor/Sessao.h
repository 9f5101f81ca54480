#pragma once
// Serving one client connection: reading its blocks with time-outs, answering each, and
// judging the complete archive.
#include "tools/servidor/Opcoes.h"
#include "tools/servidor/Protocolo.h"

#include <ctime>
#include <string>

namespace servidor {

class Registro;

// The reply to an upload's last block: "8", "7…", "5…"/"6…" or the receipt "0…".
// `nota` tells the log what was decided.
std::string Resposta_Ultimo_Bloco(const Montagem &m, const Opcoes &o, Registro &r, std::time_t agora,
                                  std::string &nota);

enum class Fim_Sessao { Fechar, Resetar };

// Serves the connection `fd` until the client leaves, misbehaves or is idle too long. Does not
// close `fd`; the caller does, with a reset when told so. `par` names the client in the log.
Fim_Sessao Atender(int fd, const Opcoes &o, Registro &r, const std::string &par);

// One line on stderr (lines of several threads are not mixed).
void Registrar_Log(const std::string &linha);

} // namespace servidor
