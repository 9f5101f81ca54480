#pragma once
// The transmit window as the transmit command sees it: its controls by name, its components,
// and the windows it opens.
#include "engine/transmit/Janela_Transmissao.h"

#include <optional>

class frmInicio;
class QWidget;

class frmInicio_Janela : public Janela_Transmissao {
public:
    explicit frmInicio_Janela(frmInicio &janela) : f_(janela) {}

    // The file selected in the chooser, if any.
    std::optional<Arquivo_Escolhido> Escolha() const;
    void Foco_Lista_Arquivos() override;
    bool Em_Estado_Recibo() override;

    QString Legenda(Controle c) override;
    void Definir_Legenda(Controle c, const QString &texto) override;
    void Habilitar(Controle c, bool sim) override;
    void Mostrar(Controle c, bool sim) override;
    void Definir_Topo(Controle c, int twips);
    void Definir_Altura_Janela(int twips);

    Resposta Perguntar(Pergunta pergunta, const QString &texto) override;
    void Avisar(const Aviso &aviso) override;
    void Ponteiro_Espera(bool sim) override;
    void Guardar_Recibo(const std::string &registro) override;
    void Entrar_Estado_Recibo(const QString &codigo) override;

    Socketout &Socket() override;
    Zip &Compactador() override;

    void Mostrar_Visualizar() override;
    void Mostrar_Reimpressao(const std::string &codigo) override;
    void Processar_Eventos() override;
    void Fechar() override;

    // Lets the window system paint and answer the window manager; user input stays queued.
    static void Pintar_Agora();

private:
    QWidget *Widget(Controle c);
    frmInicio &f_;
};
