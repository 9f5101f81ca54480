#pragma once
// The drive list of the transmit window: one entry per mounted volume (intake/Unidades.h).
#include <QComboBox>
#include <vector>

class Lista_Unidades : public QComboBox {
    Q_OBJECT
public:
    explicit Lista_Unidades(QWidget *parent = nullptr);

    // Root folder of the selected drive.
    QString Drive() const;
    // Selects the drive that holds `caminho`; false (selection unchanged) when no drive does.
    bool setDrive(const QString &caminho);
    // Root of the drive that holds `caminho`; empty when none does.
    QString Drive_De(const QString &caminho) const;

signals:
    // The selected drive changed, by the user or by setDrive.
    void Change();

private:
    std::vector<QString> raizes_;
};
