#pragma once
// Where deliveries go and how they get out of the office: the reception host and port and the
// proxy. Kept per user (QSettings) and shared by the transmit window, the batch window and
// zelta-transmitir. A proxy password is never written anywhere: it lives in memory only.
#include "engine/platform/Proxy.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class QSettings;

struct Ajustes_Conexao {
    std::string servidor;  // empty: the program's own host
    uint16_t porta = 0;    // 0: the program's own port
    Proxy proxy;
};

// The build-time host and port, direct.
Ajustes_Conexao Ajustes_Conexao_Padrao();
// Settings not made keep the build-time values; the proxy password is left empty.
Ajustes_Conexao Ler_Ajustes_Conexao(const QSettings &ajustes);
// Host and port equal to the build-time ones are removed, so they follow the program.
void Gravar_Ajustes_Conexao(QSettings &ajustes, const Ajustes_Conexao &conexao);

// "socks5://[usuario[:senha]@]host:porta" or "http://[usuario[:senha]@]host:porta" (user and
// password percent-encoded); "nenhum" is no proxy. Empty with `erro` set for anything else.
std::optional<Proxy> Ler_Url_Proxy(const QString &url, QString &erro);
