#pragma once
// What zelta-transmitir prints while a batch runs. On a terminal: a progress bar for each file
// being delivered, finished files and messages printed above them. Otherwise one plain line per
// event. At the end, the summary table.
#include "engine/transmit/Lote.h"

#include <QString>
#include <cstdio>
#include <mutex>
#include <vector>

class Painel {
public:
    Painel(std::FILE *saida, bool terminal, const std::vector<std::string> &arquivos);
    void Evento(const Evento_Entrega &e);
    void Resumo(const std::vector<Resultado_Entrega> &resultados);
    void Linha(const QString &texto); // a line above the bars
    // A notice from another thread (the interruption): above the bars on a terminal, where a
    // redraw would otherwise wipe it; on the error output otherwise.
    void Aviso(const QString &texto);

private:
    struct Andamento {
        QString nome;
        std::string caminho;
        bool ativo = false, aguardando = false;
        int bloco = 0, total = 0;
    };
    QString Barra(const Andamento &a) const;
    // Company and competence of a row: as the delivery read them; a file never started is read now.
    std::pair<QString, QString> Empresa_E_Competencia(size_t i, const Resultado_Entrega &r) const;
    void Redesenhar();
    void Apagar_Barras();
    void Atualizar();
    void Escrever(const QString &texto, std::FILE *para = nullptr); // to the output unless told

    std::recursive_mutex vez_; // events, notices and the summary come from several threads
    std::FILE *saida_;
    bool terminal_;
    int largura_ = 100;
    std::vector<Andamento> arquivos_;
    int desenhadas_ = 0; // bar lines on screen below the cursor's start
    size_t concluidos_ = 0;
};
