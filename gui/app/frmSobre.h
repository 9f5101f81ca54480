#pragma once
// The About window, an MDI child of the main window.
#include "gui/app/Janela_Informacao.h"

class frmSobre : public Janela_Informacao {
    Q_OBJECT
public:
    explicit frmSobre(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QPushButton *Command1;

private:
    void Command1_Click();
};
