#pragma once
// A transmit window seen through the connection settings: its socket goes out through the
// proxy when one is set, and with a delivery log every connection step, message shown and the
// outcome are written to it. Everything else is the window's own.
#include "engine/platform/Proxy.h"
#include "engine/transmit/Janela_Transmissao.h"

#include <chrono>
#include <memory>

class Registro_Comunicacao;

class Janela_Via_Rede : public Janela_Transmissao {
public:
    // `arquivo` names the delivery in the log; `registro` may be null (no log).
    Janela_Via_Rede(Janela_Transmissao &janela, const Proxy &proxy, Registro_Comunicacao *registro, const QString &arquivo);
    ~Janela_Via_Rede() override;

    void Foco_Lista_Arquivos() override { janela_.Foco_Lista_Arquivos(); }
    bool Em_Estado_Recibo() override { return janela_.Em_Estado_Recibo(); }
    QString Legenda(Controle c) override { return janela_.Legenda(c); }
    void Definir_Legenda(Controle c, const QString &texto) override { janela_.Definir_Legenda(c, texto); }
    void Habilitar(Controle c, bool sim) override { janela_.Habilitar(c, sim); }
    void Mostrar(Controle c, bool sim) override { janela_.Mostrar(c, sim); }
    Resposta Perguntar(Pergunta pergunta, const QString &texto) override;
    void Avisar(const Aviso &aviso) override;
    void Ponteiro_Espera(bool sim) override { janela_.Ponteiro_Espera(sim); }
    void Guardar_Recibo(const std::string &registro) override { janela_.Guardar_Recibo(registro); }
    void Historico_Nao_Gravado(const QString &descricao) override;
    void Entrar_Estado_Recibo(const QString &codigo) override;
    void Bloco_Enviado(int bloco, int total) override { janela_.Bloco_Enviado(bloco, total); }
    void Aguardando_Resposta() override { janela_.Aguardando_Resposta(); }
    bool Interromper() override { return janela_.Interromper(); }
    bool Espera_Esgotada() override { return janela_.Espera_Esgotada(); }
    Socketout &Socket() override { return *socket_; }
    Zip &Compactador() override { return janela_.Compactador(); }
    void Mostrar_Visualizar() override { janela_.Mostrar_Visualizar(); }
    void Mostrar_Reimpressao(const std::string &codigo) override { janela_.Mostrar_Reimpressao(codigo); }
    void Processar_Eventos() override { janela_.Processar_Eventos(); }
    void Fechar() override { janela_.Fechar(); }

private:
    void Anotar(const QString &texto);

    Janela_Transmissao &janela_;
    Registro_Comunicacao *registro_;
    std::unique_ptr<Socketout> via_proxy_, registrado_;
    Socketout *socket_;
    std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};
