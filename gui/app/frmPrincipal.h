#pragma once
// The main window: the MDI frame with the program's menus. Starting the program shows it and
// nothing else; every function is reached from its menus.
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <array>

class QAction;
class QMdiArea;
class QMenu;
class frmInicio;
class Aviso_Incertas;

class frmPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit frmPrincipal(QWidget *parent = nullptr);
    ~frmPrincipal() override;

    QMenu *mnuCad;                   // "&Ação"
    std::array<QAction *, 4> mnuAcao; // transmit, reprint, separator, exit
    QAction *mnuLote;                // "Transmitir &Vários Arquivos", after the reprint item
    QAction *mnuEntregas;            // "&Entregas do Mês", after the batch item
    Aviso_Incertas *lblIncertas;     // the notice of uncertain deliveries, in the menu bar's corner
    QMenu *mnuConexao;               // "&Conexão", between "&Ação" and "A&juda"
    QAction *mnuConfigurar;          // "&Configuração da Conexão..."
    QAction *mnuRegistro;            // "&Ver registro de comunicação"
    QMenu *mnuAjuda;                 // "A&juda"
    QAction *mnuHelp;
    QAction *mnuTraco;
    QAction *mnuSupTec;
    QAction *mnuSobre;

    QMdiArea *Area() const { return area_; }

    // Runs on every opening of "&Ação": the reprint item follows the history file's existence.
    void mnuCad_Click();
    void mnuAcao_Click(int index);
    void mnuHelp_Click();
    void mnuSobre_Click();
    void mnuSupTec_Click();

    // Shows the reprint window modally.
    void Abrir_Reimpressao();
    // Shows the month window modally; the notice of uncertain deliveries follows what it did.
    void Abrir_Entregas();

    // The About and Support windows while they are open, else null.
    QMdiSubWindow *Janela_Sobre() const { return sobre_; }
    QMdiSubWindow *Janela_Suporte() const { return suporte_; }

protected:
    void closeEvent(QCloseEvent *evento) override;

private:
    void Criar_Menus();
    void Abrir_Inicio();
    void Sair();
    // Brings an open information window to the front, or creates it.
    template <class Janela> void Mostrar_Informacao(QPointer<QMdiSubWindow> &instancia);

    QMdiArea *area_;
    QPointer<QMdiSubWindow> sobre_;
    QPointer<QMdiSubWindow> suporte_;
    frmInicio *inicio_ = nullptr;
};
