#pragma once
// "Entregas do Mês": for a chosen competence, one line per employer with where its declaration
// stands (uncertain ones first), filtered by state and by a search text; the uncertain
// deliveries are sent again from here (on a worker thread), a delivered one's receipt reprinted;
// the table goes to a CSV file, a printer or a PDF file.
#include "engine/ledger/Razao_Entregas.h"
#include "engine/transmit/Lote.h"
#include "engine/transmit/Mes_Entregas.h"
#include "engine/transmit/Verificar_Incertas.h"

#include <QDialog>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class frmEntregas : public QDialog {
    Q_OBJECT
public:
    // `historico`: the history (the ledger is beside it); `pasta`: the folder whose declaration
    // files count. The competence shown first is that of the newest uncertain delivery, or else
    // the month before this one.
    explicit frmEntregas(QWidget *pai = nullptr, std::string historico = "Zelta.ret",
                         std::string pasta = ".");
    ~frmEntregas() override;
    static void Mostrar(QWidget *pai); // modal

    void Definir_Competencia(int mes, int ano); // and reads it
    void Carregar();                            // reads the chosen month again
    void Aplicar_Filtros();                     // the state filter and the search, now
    // Sends again the uncertain deliveries given (all of the ledger's when empty) on a worker
    // thread; the results are told in one message box, then the month is read again.
    void Verificar(const std::string &so_o_arquivo = {});
    bool Verificando() const { return trabalho_.joinable(); }
    bool Exportar_Csv(const QString &arquivo);
    QString Competencia() const; // "MM/YYYY"
    const std::vector<Linha_Mes> &Linhas() const { return linhas_; }
    // Index into Linhas() of each row shown, in order.
    const std::vector<size_t> &Mostradas() const { return mostradas_; }
    std::vector<Linha_Mes> Linhas_Mostradas() const; // what the CSV, the print and the PDF hold

    void done(int resultado) override; // ignored while verifying

    QComboBox *cmbMes, *cmbSituacao;
    QSpinBox *spnAno;
    QLineEdit *txtProcurar;
    QTableWidget *grdEntregas;
    QLabel *lblSituacao;
    QPushButton *cmdVerificar, *cmdCsv, *cmdImprimir, *cmdPdf, *cmdFechar;
    Ajustes_Lote Ajustes_; // where Verificar sends (the program's server by default)

signals:
    void Verificacao_Concluida();

private:
    void Criar_Controles();
    void Linha_Escolhida(int linha);
    void Concluir_Verificacao(std::vector<Incerta_Verificada> v, QString falha);
    void cmdCsv_Click();
    void cmdImprimir_Click();
    void cmdPdf_Click();

    std::string historico_, pasta_;
    std::vector<Linha_Mes> linhas_;
    std::vector<size_t> mostradas_;
    std::thread trabalho_;
    std::atomic<bool> parar_{false};
};
