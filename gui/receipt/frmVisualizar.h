#pragma once
// The receipt preview: shows the current receipt record on screen, changes nothing.
#include <QDialog>
#include <QString>
#include <map>
#include <string>

class QLabel;
class QGroupBox;
class QPushButton;

// The captions that loading sets, by label name, from a receipt record. Labels the record's kind
// leaves alone (Label6, Label7, Label8 of an adjustment file) are not in the map.
std::map<QString, QString> Legendas_Visualizar(const std::string &registro);

class frmVisualizar : public QDialog {
    Q_OBJECT
public:
    explicit frmVisualizar(QWidget *pai = nullptr);

    // Opens a fresh preview of Dados_Recibo modally and waits until it is closed.
    static void Mostrar(QWidget *pai);

    QGroupBox *Frame1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    QLabel *Label10, *Label11, *Label12, *Label13, *Label14, *Label15, *Label16, *Label17;
    QPushButton *Command1;

private:
    void Form_Load();
};
