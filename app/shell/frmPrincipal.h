#pragma once
#include <QMainWindow>

// The main window: MDI frame with the program's menus.
class frmPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit frmPrincipal(QWidget *parent = nullptr);
};
