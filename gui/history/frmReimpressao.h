#pragma once
// The reprint window: lists the newest deliveries of the history file and prints or previews the
// receipt of the one picked.
#include <QDialog>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The six cell texts of a decoded history line, columns 0 to 5 of the grid.
QStringList Celulas_Reimpressao(const std::string &linha);
// The company name of a decoded history line, as its identifier cell's tooltip shows it.
QString Razao_Social_Reimpressao(const std::string &linha);
// What a search found, under the search box: "N encontradas (mostrando as 200 mais recentes)",
// "Nenhuma transmissão encontrada"; nothing without a search text.
QString Texto_Encontradas(long long encontradas, bool com_busca);

struct Leitura_Historico;

class frmReimpressao : public QDialog {
    Q_OBJECT
public:
    // Loads the window (main window's actions off, centred, printers, grid) without reading the history.
    explicit frmReimpressao(QWidget *pai = nullptr);
    ~frmReimpressao() override;

    // Opens the window modally, or closes it at once without showing it when there is no history
    // file. With a receipt code, the newest entry of that code is picked when the window opens.
    // Returns the dialog's result (QDialog::Rejected when it was not shown).
    static int Mostrar(QWidget *pai, const std::string &codigo = {});

    // Reads the history into the grid; false when there is no history file or it cannot be read
    // (the window must then close).
    bool Carregar_Historico(const std::string &arquivo);
    // Picks the newest entry of this eight-character receipt code: among the rows shown, else
    // through the search. False when the history holds none.
    bool Escolher_Codigo(const std::string &codigo8);
    // Fills the grid with the entries that match the search box's text, now (typing waits for
    // a pause first); the pick is undone.
    void Aplicar_Busca();
    // The same on a worker thread, as typing asks for it: the window never waits for the reading;
    // a newer search ends the one before. The grid is filled when it is done.
    void Buscar_Em_Segundo_Plano();

    void done(int resultado) override; // every way of closing: the main window's actions on again

    QLabel *Label1, *Label2, *Label13, *lblLocalizar, *lblEncontradas;
    QTableWidget *MSFlexGrid1;
    QLineEdit *Text1, *txtLocalizar;
    QComboBox *cmb_print;
    QPushButton *cmdVisualizar, *cmdImprimir, *cmdSair;

    // Element k (1..200) is the decoded line shown in grid row k; element 0 stays empty.
    std::array<std::string, 201> Linhas_Historico;
    int16_t Linha_Selecionada = 0;

public slots:
    void MSFlexGrid1_Click(int linha_tabela);
    void cmdImprimir_Click();
    void cmdVisualizar_Click();
    void cmdSair_Click();

protected:
    void resizeEvent(QResizeEvent *evento) override;

private:
    void Configurar_Grade();
    bool Preencher_Grade(const std::string &texto_busca);
    void Mostrar_Leitura(const Leitura_Historico &leitura, bool com_busca);
    void Cancelar_Busca(); // ends the search running in the background, if any
    // Adds or removes the company name column (the grid's last).
    void Mostrar_Razao_Social(bool mostrar);
    void Preencher_Razao_Social();

    std::string arquivo_;
    QTimer espera_busca_;
    std::thread busca_;
    std::shared_ptr<std::atomic<bool>> parar_busca_;
    // Controls and their design geometry: the grid grows with the window, the controls below
    // it move down, those on the right move right.
    std::vector<std::pair<QWidget *, QRect>> desenho_;
};
