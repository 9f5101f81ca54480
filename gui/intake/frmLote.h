#pragma once
// The batch window: the declaration files of a folder in a table, read on a worker thread so the
// window never waits for a large file; the ticked ones are delivered by the batch engine, several
// at once, while each row shows its progress and outcome.
#include "engine/intake/Leitor_Resumo.h"
#include "engine/print/Recibos_Pdf.h"
#include "engine/transmit/Lote.h"
#include "gui/intake/Conexao_Usuario.h"

#include <QDialog>
#include <atomic>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class frmLote : public QDialog {
    Q_OBJECT
public:
    explicit frmLote(QWidget *parent = nullptr);
    ~frmLote() override;
    static void Mostrar(QWidget *pai); // modal

    enum Coluna { Arquivo, Identificador, Empresa, Competencia, Tipo, Validacao, Andamento, Resultado, Colunas };

    Ajustes_Lote Ajustes_ = Lote_Do_Usuario();

    // Lists the folder's declaration files (the filter's pattern) at once and reads them in the
    // background; the validated ones with a name the block header holds come ticked.
    void Abrir_Pasta(const QString &pasta);
    bool Lendo_Pasta() const { return leitura_.joinable(); }
    void cmdPasta_Click();
    void cmdTransmitir_Click();   // message 03, then the batch; while it runs: stops it
    void cmdRecibos_Click();
    // Writes the receipt of every accepted delivery, and of every file delivered before, into
    // `pasta`: what was written and what was not, with why.
    Gravacao_Recibos Gravar_Recibos(const QString &pasta);
    bool Em_Andamento() const { return trabalho_.joinable(); }
    const std::vector<Resultado_Entrega> &Resultados() const { return resultados_; }

    QLineEdit *txtPasta;
    QLineEdit *txtTipoArq;
    QPushButton *cmdPasta;
    QSpinBox *spnParalelas; // deliveries at once, 1 to Max_Paralelas
    QTableWidget *grdArquivos;
    QLabel *lblSituacao;
    QPushButton *cmdTransmitir;
    QPushButton *cmdRecibos;
    QPushButton *cmdSair;

signals:
    void Lote_Concluido();
    void Pasta_Lida();

protected:
    void closeEvent(QCloseEvent *evento) override;
    void reject() override;

private:
    void Criar_Controles();
    void Evento(const Evento_Entrega &e, const Resultado_Entrega &r);
    void Concluir(std::vector<Resultado_Entrega> resultados);
    void Texto(int linha, Coluna c, const QString &texto);
    void Parar_Leitura();
    void Mostrar_Resumo(uint64_t leitura, int linha, const Resumo_Lido &lido);
    void Fim_Leitura(uint64_t leitura);
    void Permitir_Marcar(bool sim);
    void Mostrar_Situacao();

    QString pasta_;
    std::vector<int> linhas_;  // the table row of each file of the running batch
    std::thread trabalho_;
    std::atomic<bool> parar_{false};
    std::vector<Resultado_Entrega> resultados_;
    int terminados_ = 0, entregues_ = 0; // of the running batch
    // The folder's reading: a new folder or the window's end stops it between files.
    std::thread leitura_;
    std::atomic<bool> parar_leitura_{false};
    uint64_t leitura_atual_ = 0;
};
