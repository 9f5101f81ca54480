#pragma once
// The transmit window: the file chooser (drive, folder and file lists, pattern box), the command
// buttons and the controls of the progress and receipt stages. The transmit command drives the
// public controls; the chooser's coupling and the window's load and unload live here.
#include "engine/platform/Socketout.h"
#include "engine/platform/Zip.h"
#include "engine/transmit/Comando_Transmitir.h"
#include "gui/intake/Conexao_Usuario.h"

#include <QDialog>
#include <QHash>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class Lista_Arquivos;
class Lista_Pastas;
class Lista_Unidades;
class Leitor_Resumo;
class Relogio;
struct Resumo_Lido;

class frmInicio : public QDialog {
    Q_OBJECT
public:
    explicit frmInicio(QWidget *parent = nullptr);
    ~frmInicio() override;

    // The chooser panel and its controls.
    QFrame *Picture1;
    QLabel *lblCriterio;
    QLineEdit *txtTipoArq;
    Lista_Pastas *dirList;
    Lista_Arquivos *filList;
    Lista_Unidades *drvList;

    QPushButton *cmdTransmitir;
    QPushButton *cmdSair;
    QLineEdit *txtPercentual;
    QLineEdit *Text1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label13;
    QComboBox *cmb_print;
    QPushButton *cmdImprimir;
    // What the chosen file holds: whose it is, its month, kind, movements and validation. It sits
    // where the unused address box would be and shows while a file can be chosen.
    QLabel *lblResumo;

    // The TCP client the transmit command uses; closed by the window's unload when still connected.
    std::unique_ptr<Socketout> Socketout_;
    void Trocar_Socket(std::unique_ptr<Socketout> novo);

    // The zip component that packs the declaration.
    std::unique_ptr<Zip> Zip_ = std::make_unique<Zip>();
    // Where the transmit command sends and the clock its pauses read; tests change both.
    Ajustes_Transmissao Ajustes_ = Transmissao_Do_Usuario();
    Proxy Proxy_ = Conexao_Do_Usuario().proxy; // the way out, from the user's connection settings
    Relogio *Relogio_ = nullptr; // null: the system clock

    // Every way of closing the window passes here; ignored while a transmission runs.
    void done(int resultado) override;
    // The transmit command ends with the window closed.
    void Fechar_Pelo_Comando();

public slots:
    void cmdTransmitir_Click();
    void cmdImprimir_Click();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void Criar_Controles();
    void Form_Load();
    void Form_Unload();
    void drvList_Change();
    void dirList_Change();
    void dirList_LostFocus();
    void txtTipoArq_Change();
    void txtTipoArq_GotFocus();
    void cmdSair_Click();
    void filList_Selecao();
    void Mostrar_Resumo(const Resumo_Lido &lido);
    void Destacar_Resumo(bool sim);

    bool Em_Transmissao_ = false;
    friend class frmInicio_Janela; // sets the receipt state
    bool Em_Recibo_ = false;       // after an accepted delivery: the button previews
    // The folder last opened on each drive, so going back to a drive returns there.
    QHash<QString, QString> Ultima_Pasta_;
    uint64_t Pedido_Resumo_ = 0; // the summary on its way; older ones are dropped
    // Last: its thread ends before anything it reports to goes away.
    std::unique_ptr<Leitor_Resumo> Leitor_Resumo_;
};
