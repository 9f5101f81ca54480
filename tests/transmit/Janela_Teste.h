#pragma once
// A transmit window without widgets: keeps each control's state and logs what the command does.
#include "engine/platform/Socketout.h"
#include "engine/platform/Zip.h"
#include "gui/intake/frmInicio_estado_recibo.h"
#include "engine/transmit/Janela_Transmissao.h"
#include "engine/transmit/Relogio.h"
#include "gui/cis/CIS_000.h"
#include "Relogio_Rapido.h"

#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <thread>

struct Estado_Controle {
    bool habilitado = true;
    bool visivel = true;
    QString legenda;
    int topo = 0;
};

class Janela_Teste : public Janela_Transmissao {
public:
    Janela_Teste()
    {
        controles[Controle::cmdTransmitir].legenda = QStringLiteral("&Transmitir");
        controles[Controle::txtPercentual].legenda = QStringLiteral("Conectando servidor...");
        for (Controle c : {Controle::txtPercentual, Controle::Label2, Controle::Label3, Controle::Label13,
                           Controle::cmb_print, Controle::cmdImprimir})
            controles[c].visivel = false;
    }

    std::optional<Arquivo_Escolhido> Escolha() const
    {
        if (nome.empty())
            return std::nullopt;
        return Arquivo_Escolhido{QString::fromStdString(nome), nome, pasta};
    }
    void Foco_Lista_Arquivos() override { log << "foco filList"; }
    bool Em_Estado_Recibo() override { return em_recibo; }

    QString Legenda(Controle c) override { return controles[c].legenda; }
    void Definir_Legenda(Controle c, const QString &t) override
    {
        controles[c].legenda = t;
        if (c == Controle::txtPercentual)
            progresso << t;
    }
    void Habilitar(Controle c, bool sim) override
    {
        controles[c].habilitado = sim;
        log << QStringLiteral("habilitar %1 %2").arg(int(c)).arg(sim);
    }
    void Mostrar(Controle c, bool sim) override { controles[c].visivel = sim; }
    void Definir_Topo(Controle c, int twips) { controles[c].topo = twips; }
    void Definir_Altura_Janela(int twips) { altura = twips; }

    // Questions and notices as the transmit window shows them, so the scripted boxes see them.
    Resposta Perguntar(Pergunta p, const QString &t) override
    {
        return Caixa_Mensagem(t, Icone_Da_Pergunta(p), Botoes::SimNao);
    }
    void Avisar(const Aviso &a) override { Caixa_Mensagem(a.texto, a.icone, Botoes::Ok); }
    void Ponteiro_Espera(bool sim) override { sim ? Ponteiro_Ampulheta() : Ponteiro_Padrao(); }
    void Guardar_Recibo(const std::string &registro) override { Dados_Recibo = registro; }
    void Entrar_Estado_Recibo(const QString &codigo) override
    {
        em_recibo = true;
        Aplicar_Estado_Recibo(*this, codigo);
    }

    Socketout &Socket() override { return *socket; }
    Zip &Compactador() override { return *zip; }

    void Mostrar_Visualizar() override { log << "visualizar"; }
    void Mostrar_Reimpressao(const std::string &codigo) override { log << "reimpressao " + QString::fromStdString(codigo); }
    void Processar_Eventos() override { ++eventos; }
    void Fechar() override
    {
        log << "fechar";
        if (socket->Conectado())
            socket->Fechar_Conexao();
        fechada = true;
    }

    std::string nome, pasta;
    std::map<Controle, Estado_Controle> controles;
    int altura = 4000;
    bool fechada = false;
    bool em_recibo = false;
    int eventos = 0;
    QStringList log, progresso;
    std::unique_ptr<Socketout> socket = std::make_unique<Socketout>();
    std::unique_ptr<Zip> zip = std::make_unique<Zip>();
};
