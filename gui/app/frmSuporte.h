#pragma once
// The technical support window, an MDI child of the main window.
#include "gui/app/Janela_Informacao.h"

// Where users write for help.
inline constexpr const char *Endereco_Suporte = "suporte@zelta.example";

class frmSuporte : public Janela_Informacao {
    Q_OBJECT
public:
    explicit frmSuporte(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QPushButton *Command2;

private:
    void Command2_Click();
};
