#include "engine/transmit/Janela_Via_Rede.h"

#include "engine/transmit/Registro_Comunicacao.h"
#include "engine/transmit/Socket_Registrado.h"

namespace {
QString Uma_Linha(QString texto)
{
    return texto.replace(QChar(13), QLatin1String(" / "));
}
QString Texto_Resposta(Resposta r)
{
    switch (r) {
    case Resposta::Sim: return QStringLiteral("Sim");
    case Resposta::Nao: return QStringLiteral("Não");
    default: return QStringLiteral("OK");
    }
}
} // namespace

Janela_Via_Rede::Janela_Via_Rede(Janela_Transmissao &janela, const Proxy &proxy, Registro_Comunicacao *registro,
                                 const QString &arquivo)
    : janela_(janela), registro_(registro), socket_(&janela.Socket())
{
    if (proxy.Ativo()) {
        via_proxy_ = std::make_unique<Socket_Via_Proxy>(*socket_, proxy);
        socket_ = via_proxy_.get();
    }
    if (registro_) {
        registrado_ = std::make_unique<Socket_Registrado>(*socket_, *registro_, Descrever_Proxy(proxy));
        socket_ = registrado_.get();
    }
    Anotar(QStringLiteral("=== Entrega de %1").arg(arquivo));
}

Janela_Via_Rede::~Janela_Via_Rede()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio_).count();
    Anotar(QStringLiteral("=== Fim da entrega (%1 s)").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 3));
}

void Janela_Via_Rede::Anotar(const QString &texto)
{
    if (registro_)
        registro_->Anotar(texto);
}

Resposta Janela_Via_Rede::Perguntar(Pergunta pergunta, const QString &texto)
{
    const Resposta r = janela_.Perguntar(pergunta, texto);
    Anotar(QStringLiteral("Mensagem: %1 -> %2").arg(Uma_Linha(texto), Texto_Resposta(r)));
    return r;
}

void Janela_Via_Rede::Avisar(const Aviso &aviso)
{
    Anotar(QStringLiteral("Mensagem: %1").arg(Uma_Linha(aviso.texto)));
    janela_.Avisar(aviso);
}

void Janela_Via_Rede::Historico_Nao_Gravado(const QString &descricao)
{
    Anotar(QStringLiteral("Histórico não gravado: %1").arg(descricao));
    janela_.Historico_Nao_Gravado(descricao);
}

void Janela_Via_Rede::Entrar_Estado_Recibo(const QString &codigo)
{
    Anotar(QStringLiteral("Aceito, código %1").arg(codigo));
    janela_.Entrar_Estado_Recibo(codigo);
}
