#pragma once
// The file list of the transmit window: names of the files in Path that match Pattern.
#include <QListWidget>

class Lista_Arquivos : public QListWidget {
    Q_OBJECT
public:
    explicit Lista_Arquivos(QWidget *parent = nullptr);

    QString Path() const { return caminho_; }
    // Lists `pasta`; false, with nothing changed, when it is not a folder that can be listed.
    [[nodiscard]] bool setPath(const QString &pasta);
    QString Pattern() const { return padrao_; }
    void setPattern(const QString &padroes);

    // The selected row, -1 when none is selected; setListIndex(-1) clears the selection.
    int ListIndex() const;
    void setListIndex(int indice);
    QString List(int indice) const;
    // The name of entry `indice` as the file system spells it.
    QByteArray Bytes(int indice) const;
    int ListCount() const { return count(); }

protected:
    // With nothing chosen yet, the first Down arrow chooses the first file.
    void keyPressEvent(QKeyEvent *evento) override;

private:
    void Recarregar();
    QString caminho_;
    QString padrao_ = QStringLiteral("*.*");
};
