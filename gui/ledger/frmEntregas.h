#pragma once
// "Entregas do Mês": for a chosen competence, one line per employer with where its declaration
// stands (uncertain ones first), filtered by state and by a search text; the month is read and
// the uncertain deliveries are sent again from here on worker threads, a delivered one's receipt
// reprinted; the table goes to a CSV file, a printer or a PDF file.
#include "engine/ledger/Razao_Entregas.h"
#include "engine/transmit/Lote.h"
#include "engine/transmit/Mes_Entregas.h"
#include "engine/transmit/Verificar_Incertas.h"

#include <QDialog>
#include <atomic>
#include <memory>
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
    void Carregar();                            // reads the chosen month again, now
    // The same on a worker thread, as choosing a month asks for it: the window never waits for
    // the reading and shows "Lendo..." meanwhile; a newer reading, or the window's end, stops an
    // older one within a declaration file.
    void Carregar_Em_Segundo_Plano();
    bool Lendo() const { return leitura_.joinable(); }
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
    Ajustes_Lote Ajustes_; // where and how Verificar sends: the user's connection settings

signals:
    void Verificacao_Concluida(); // the results told and the month read again
    void Leitura_Concluida();     // a reading on the worker thread is shown

private:
    // The month's lines, or why they could not be read (the unhandled-error text).
    struct Mes_Lido {
        std::vector<Linha_Mes> linhas;
        QString falha;
    };
    // Also run on the worker thread: it reads no control.
    static Mes_Lido Ler_Mes(const std::string &mes, const std::string &ano, const std::string &historico,
                            const std::string &pasta, const std::atomic<bool> *parar);
    std::string Mes_Escolhido() const; // "03"
    std::string Ano_Escolhido() const; // "2024"

    void Criar_Controles();
    void Linha_Escolhida(int linha);
    void Concluir_Verificacao(std::vector<Incerta_Verificada> v, QString falha);
    void Cancelar_Leitura();
    void Mostrar_Mes(Mes_Lido lido);
    void cmdCsv_Click();
    void cmdImprimir_Click();
    void cmdPdf_Click();

    std::string historico_, pasta_;
    std::vector<Linha_Mes> linhas_;
    std::vector<size_t> mostradas_;
    std::thread trabalho_;
    std::atomic<bool> parar_{false};
    std::thread leitura_;
    std::shared_ptr<std::atomic<bool>> parar_leitura_;
    bool verificacao_a_concluir_ = false; // Verificacao_Concluida once the month is read again
};
