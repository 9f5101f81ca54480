#pragma once
// The directory list of the transmit window: the open folder's ancestors, the open folder, then
// its subfolders. Double-clicking (or Enter on) an entry opens it; Path only changes through setPath.
#include <QListWidget>

class Lista_Pastas : public QListWidget {
    Q_OBJECT
public:
    explicit Lista_Pastas(QWidget *parent = nullptr);

    QString Path() const { return caminho_; }
    // Opens `pasta`; false, with nothing changed, when it is not a folder that can be listed.
    [[nodiscard]] bool setPath(const QString &pasta);

    // The highlighted row (-1 when none) and the full path of any row.
    int ListIndex() const { return currentRow(); }
    QString List(int indice) const;

signals:
    void Change();     // Path changed
    void Perdeu_Foco(); // the focus went to another control of the application

protected:
    void focusOutEvent(QFocusEvent *evento) override;

private:
    void Recarregar();
    QString caminho_;
};
