#include "engine/transmit/Ajustes_Conexao.h"

#include "engine/platform/Texto1252.h"
#include "engine/transmit/Comando_Transmitir.h"

#include <QSettings>
#include <QUrl>

namespace {
const QString Chave_Servidor = QStringLiteral("Conexao/Servidor");
const QString Chave_Porta = QStringLiteral("Conexao/Porta");
const QString Chave_Proxy = QStringLiteral("Conexao/Proxy");
const QString Chave_Proxy_Servidor = QStringLiteral("Conexao/ProxyServidor");
const QString Chave_Proxy_Porta = QStringLiteral("Conexao/ProxyPorta");
const QString Chave_Proxy_Usuario = QStringLiteral("Conexao/ProxyUsuario");

uint16_t Porta(const QVariant &v, uint16_t padrao)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n >= 1 && n <= 65535 ? static_cast<uint16_t>(n) : padrao;
}
} // namespace

Ajustes_Conexao Ajustes_Conexao_Padrao()
{
    const Ajustes_Transmissao t = Ajustes_Padrao();
    Ajustes_Conexao a;
    a.servidor = t.servidor;
    a.porta = t.porta;
    return a;
}

Ajustes_Conexao Ler_Ajustes_Conexao(const QSettings &s)
{
    Ajustes_Conexao a = Ajustes_Conexao_Padrao();
    const QString servidor = s.value(Chave_Servidor).toString().trimmed();
    if (!servidor.isEmpty())
        a.servidor = Para_1252(servidor);
    a.porta = Porta(s.value(Chave_Porta), a.porta);
    const QString tipo = s.value(Chave_Proxy).toString();
    a.proxy.tipo = tipo == QLatin1String("socks5") ? Proxy::Tipo::Socks5
                 : tipo == QLatin1String("http")   ? Proxy::Tipo::Http
                                                   : Proxy::Tipo::Nenhum;
    a.proxy.host = Para_1252(s.value(Chave_Proxy_Servidor).toString().trimmed());
    a.proxy.porta = Porta(s.value(Chave_Proxy_Porta), a.proxy.tipo == Proxy::Tipo::Http ? 3128 : 1080);
    a.proxy.usuario = Para_1252(s.value(Chave_Proxy_Usuario).toString());
    if (a.proxy.host.empty())
        a.proxy.tipo = Proxy::Tipo::Nenhum;
    return a;
}

void Gravar_Ajustes_Conexao(QSettings &s, const Ajustes_Conexao &a)
{
    const Ajustes_Conexao padrao = Ajustes_Conexao_Padrao();
    if (a.servidor.empty() || a.servidor == padrao.servidor)
        s.remove(Chave_Servidor);
    else
        s.setValue(Chave_Servidor, De_1252(a.servidor));
    if (a.porta == 0 || a.porta == padrao.porta)
        s.remove(Chave_Porta);
    else
        s.setValue(Chave_Porta, a.porta);
    const Proxy &p = a.proxy;
    if (!p.Ativo()) {
        s.remove(Chave_Proxy);
        return;  // the proxy's address stays for the next time it is chosen
    }
    s.setValue(Chave_Proxy, p.tipo == Proxy::Tipo::Socks5 ? QStringLiteral("socks5") : QStringLiteral("http"));
    s.setValue(Chave_Proxy_Servidor, De_1252(p.host));
    s.setValue(Chave_Proxy_Porta, p.porta);
    s.setValue(Chave_Proxy_Usuario, De_1252(p.usuario));
}

std::optional<Proxy> Ler_Url_Proxy(const QString &texto, QString &erro)
{
    if (texto.compare(QLatin1String("nenhum"), Qt::CaseInsensitive) == 0)
        return Proxy{};
    const QUrl url(texto, QUrl::StrictMode);
    Proxy p;
    const QString esquema = url.scheme().toLower();
    if (esquema == QLatin1String("socks5") || esquema == QLatin1String("socks5h"))
        p.tipo = Proxy::Tipo::Socks5;
    else if (esquema == QLatin1String("http"))
        p.tipo = Proxy::Tipo::Http;
    if (!url.isValid() || p.tipo == Proxy::Tipo::Nenhum || url.host().isEmpty() || url.port() < 1 ||
        !(url.path().isEmpty() || url.path() == QLatin1String("/"))) {
        erro = QStringLiteral("Proxy inválido: %1 (use socks5://máquina:porta ou http://máquina:porta)").arg(texto);
        return std::nullopt;
    }
    p.host = Para_1252(url.host());
    p.porta = static_cast<uint16_t>(url.port());
    p.usuario = Para_1252(url.userName(QUrl::FullyDecoded));
    p.senha = Para_1252(url.password(QUrl::FullyDecoded));
    return p;
}
